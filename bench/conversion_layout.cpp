#include "bench/conversion_layout.h"

#include <windows.h>

#include "tests/driver/driver_error.h"
#include "tests/driver/file_dialogs.h"

namespace bench {
namespace {

std::wstring CopyInto(const std::wstring& source, const std::wstring& directory) {
  const std::wstring copy = directory + L"\\" + source.substr(source.find_last_of(L"\\/") + 1);
  if (!CopyFileW(source.c_str(), copy.c_str(), FALSE)) {
    throw driver::DriverError(L"Cannot copy " + source + L" to " + copy + L" (error " +
                              std::to_wstring(GetLastError()) + L")");
  }
  return copy;
}

bool IsAscii(const std::wstring& text) {
  for (const wchar_t c : text) {
    if (c > 0x7E || c < 0x20) return false;
  }
  return true;
}

// Plain ASCII reads the same in the ANSI code page the settings file is read in.
std::string Ascii(const std::wstring& text) {
  std::string bytes;
  for (const wchar_t c : text) bytes.push_back(static_cast<char>(c));
  return bytes;
}

std::string SettingsText(const std::wstring& input, const std::wstring& output) {
  return "[Paths]\r\nPathIn=" + Ascii(input) + "\\\r\nPathOut=" + Ascii(output) + "\\\r\n";
}

}  // namespace

ConversionLayout::ConversionLayout(const std::wstring& baseline) {
  if (!IsAscii(root_.path())) {
    throw driver::DriverError(L"The temporary directory " + root_.path() + L" is not plain ASCII");
  }
  const std::wstring output = root_ / L"OUT";
  driver::MakeDirectories(InputDirectory());
  driver::MakeDirectories(output);
  driver::WriteTextFile(RejectedFile(), "<?xml version=\"1.0\"?>\r\n<document/>\r\n");
  product_ = CopyInto(driver::BesideExecutable(L"vexilate.exe"), root_.path());
  bareProgram_ =
      CopyInto(baseline.empty() ? driver::BesideExecutable(L"bare_file_dialog.exe") : baseline, root_.path());
  if (driver::SamePath(product_, bareProgram_)) throw driver::DriverError(L"The baseline cannot be the product");
  driver::WriteTextFile(root_ / L"Vexilate.INI", SettingsText(InputDirectory(), output));
}

}  // namespace bench
