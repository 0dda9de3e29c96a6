#include "transform/xml_support/code_pages.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <libxml/parser.h>

#include <memory>
#include <string>

namespace rt {
namespace {

// Names the C library's converter does not know, so that the XML library finds the registered
// pages; box drawing takes three bytes in UTF-8, more than the library sets aside for a byte.
const struct {
  const char *page, *name;
  std::string bytes, text;
} kPages[] = {
    {"CP1251", "x-test-1251", "\xCF\xF0\xE8\xE2\xE5\xF2 \x88 &#20013;", "Привет € 中"},
    {"KOI8-R", "x-test-koi8-r", "\xF0\xD2 " + std::string(16, '\x80') + " &#8364;", "Пр ──────────────── €"},
};

const char* Registered(const char* page, const char* name) {
  CodePageTable table;
  iconv_t converter = iconv_open("WCHAR_T", page);
  for (unsigned value = 0; value < table.size(); ++value) {
    wchar_t unit = 0;
    char byte = static_cast<char>(value), *in = &byte, *out = reinterpret_cast<char*>(&unit);
    std::size_t in_left = 1, out_left = sizeof unit;
    table[value] = iconv(converter, &in, &in_left, &out, &out_left) == 0 ? static_cast<char16_t>(unit) : u'\xFFFF';
  }
  iconv_close(converter);
  EXPECT_TRUE(RegisterSingleBytePage(name, table)) << name;
  return name;
}

std::string Head(const char* name) { return std::string("<?xml version=\"1.0\" encoding=\"") + name + "\"?>\n"; }

int g_conversion_errors = 0;
std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> Read(const std::string& xml) {
  const xmlStructuredErrorFunc saved = xmlStructuredError;
  void* const saved_context = xmlStructuredErrorContext;
  g_conversion_errors = 0;
  xmlSetStructuredErrorFunc(nullptr,
                            [](void*, xmlErrorPtr e) { g_conversion_errors += e->code == XML_I18N_CONV_FAILED; });
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0);
  xmlSetStructuredErrorFunc(saved_context, saved);
  return {doc, &xmlFreeDoc};
}

// Long documents cross the blocks the library converts at a time, in UTF-8 mid-character.
TEST(SingleBytePage, ReadsAndWritesTheTextWithReferencesForWhatItLacks) {
  for (const auto& c : kPages) {
    const char* name = Registered(c.page, c.name);
    for (std::string bytes = c.bytes, text = c.text; bytes.size() < 100000; bytes += bytes, text += text) {
      const auto read = Read(Head(name) + "<a>" + bytes + "</a>");
      ASSERT_TRUE(read) << name;
      EXPECT_EQ(reinterpret_cast<const char*>(xmlDocGetRootElement(read.get())->children->content), text);
      xmlChar* written = nullptr;
      int size = 0;
      xmlDocDumpMemoryEnc(Read("<a>" + text + "</a>").get(), &written, &size, name);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(written), static_cast<std::size_t>(size)),
                Head(name) + "<a>" + bytes + "</a>\n");
      xmlFree(written);
    }
  }
}

// The name in other letters is the same page.
TEST(SingleBytePage, AByteThePageLeavesUndefinedIsAnEncodingError) {
  const char* name = Registered("CP1251", "X-Test-1251");
  EXPECT_TRUE(Read(Head(name) + "<a>\xCF</a>"));
  for (const std::string& before : {std::string(), std::string(100000, '\xCF')}) {
    EXPECT_FALSE(Read(Head(name) + "<a>" + before + "\x98</a>"));
    EXPECT_NE(g_conversion_errors, 0);
  }
}

}  // namespace
}  // namespace rt
