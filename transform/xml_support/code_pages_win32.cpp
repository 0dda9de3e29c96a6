#include <libxml/encoding.h>

#include <array>

#include "runtime/system/win32_api.h"
#include "transform/xml_support/code_pages.h"

namespace rt {
namespace {

struct SystemPage {
  UINT number;
  const char* name;
  // The other names documents give it in their encoding declarations.
  std::array<const char*, 4> aliases;
};

constexpr SystemPage kSystemPages[] = {
    {874, "windows-874", {"cp874", "x-cp874", "dos-874", "ms874"}},
    {1250, "windows-1250", {"cp1250", "x-cp1250"}},
    {1251, "windows-1251", {"cp1251", "x-cp1251"}},
    {1252, "windows-1252", {"cp1252", "x-cp1252"}},
    {1253, "windows-1253", {"cp1253", "x-cp1253"}},
    {1254, "windows-1254", {"cp1254", "x-cp1254"}},
    {1255, "windows-1255", {"cp1255", "x-cp1255"}},
    {1256, "windows-1256", {"cp1256", "x-cp1256"}},
    {1257, "windows-1257", {"cp1257", "x-cp1257"}},
    {1258, "windows-1258", {"cp1258", "x-cp1258"}},
    {866, "ibm866", {"cp866", "866", "csIBM866"}},
    {437, "ibm437", {"cp437", "437", "csPC8CodePage437"}},
    {850, "ibm850", {"cp850", "850", "csPC850Multilingual"}},
    {852, "ibm852", {"cp852", "852", "csPCp852"}},
    {855, "ibm855", {"cp855", "855", "csIBM855"}},
    {857, "ibm857", {"cp857", "857", "csIBM857"}},
    {862, "ibm862", {"cp862", "862", "csPC862LatinHebrew", "dos-862"}},
    {20866, "koi8-r", {"csKOI8R", "koi8", "cp20866"}},
    {21866, "koi8-u", {"csKOI8U", "cp21866"}},
    {10007, "x-mac-cyrillic", {"mac-cyrillic", "maccyrillic", "cp10007"}},
};

// Each byte as the system converts it alone; a byte it refuses is undefined.
CodePageTable TableOf(UINT page) {
  CodePageTable table{};
  for (unsigned value = 0; value < table.size(); ++value) {
    const char byte = static_cast<char>(value);
    wchar_t unit = 0;
    const bool defined = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, &byte, 1, &unit, 1) == 1;
    table[value] = defined ? static_cast<char16_t>(unit) : char16_t{0xFFFF};
  }
  return table;
}

}  // namespace

void RegisterSystemCodePages() {
  for (const SystemPage& page : kSystemPages) {
    if (!IsValidCodePage(page.number)) continue;
    if (!RegisterSingleBytePage(page.name, TableOf(page.number))) continue;
    for (const char* alias : page.aliases) {
      if (alias != nullptr) xmlAddEncodingAlias(page.name, alias);
    }
  }
}

}  // namespace rt
