// Transforming XML files with a stylesheet through the system XML library.
#include "runtime/xml_transform.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runtime/win32_api.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using vxtest::Utf8;

constexpr char kDeclaration1251[] = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
constexpr char kEarlierOutput[] = "earlier output\r\n";

// "Привет" and "мир" in windows-1251.
const std::string kInput = std::string(kDeclaration1251) +
                           "\r\n<root><item>\xCF\xF0\xE8\xE2\xE5\xF2</item><item>\xEC\xE8\xF0</item></root>\r\n";

// Each item's value through `value`; with a script when `script` names its function.
std::string Stylesheet(const std::string& value, const std::string& script = "") {
  const std::string scriptSpace =
      script.empty() ? "" : " xmlns:ms=\"urn:schemas-microsoft-com:xslt\" xmlns:u=\"urn:vexilate-test\"";
  const std::string scriptElement = script.empty()
                                        ? ""
                                        : "<ms:script language=\"JScript\" implements-prefix=\"u\">function " + script +
                                              "() { return 1; }</ms:script>\r\n";
  return "<?xml version=\"1.0\"?>\r\n<xsl:stylesheet version=\"1.0\" "
         "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"" +
         scriptSpace + ">\r\n<xsl:output method=\"xml\" encoding=\"windows-1251\"/>\r\n" + scriptElement +
         "<xsl:template match=\"/\"><out><xsl:for-each select=\"root/item\">"
         "<v n=\"{position()}\"><xsl:value-of select=\"" +
         value + "\"/></v></xsl:for-each></out></xsl:template>\r\n</xsl:stylesheet>\r\n";
}
const std::string kPlainStylesheet = Stylesheet(".");

std::set<Text> FilesIn(const Text& directory) {
  std::set<Text> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(rt::Wide(directory + u"*"), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(rt::FromWide(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

class XmlTransform : public ::testing::Test {
 protected:
  rt::ComThreadScope com;
  vxtest::TempDirectory dir;
};

TEST_F(XmlTransform, FailuresKeepTheEarlierOutputAndSayWhy) {
  ASSERT_TRUE(com.ready());
  const std::string secret = "SECRET-7f3a";
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"secret.txt", secret));
  const std::string fileUrl = [&] {
    std::string url = "file:///" + Utf8(dir.path());
    for (char& c : url) c = c == '\\' ? '/' : c;
    return url;
  }();
  enum Named { kNamesInput, kNamesStylesheet };
  const struct {
    const char* what;
    std::string input, stylesheet;
    Named named;  // the file the reason names by its full path
    const char16_t* saying;
  } cases[] = {
      {"stylesheet not well-formed", kInput, "<xsl:stylesheet>", kNamesStylesheet, u"Ошибка в таблице стилей "},
      {"document()", kInput, Stylesheet("document('" + fileUrl + "secret.txt')"), kNamesStylesheet, u"document()"},
      {"script", kInput, Stylesheet("u:f()", "f"), kNamesStylesheet, u"сценарии"},
      {"transformation stopped", kInput,
       Stylesheet(".\"/><xsl:message terminate=\"yes\">stop</xsl:message><xsl:value-of select=\"."), kNamesInput,
       u"Преобразование файла "},
  };
  int serial = 0;
  for (const auto& c : cases) {
    const Text place = dir / (u"case" + Text(1, static_cast<char16_t>(u'0' + serial++)) + u"\\");
    ASSERT_TRUE(vxtest::MakeDirectory(place)) << c.what;
    ASSERT_TRUE(vxtest::WriteBytes(place + u"in.XML", c.input)) << c.what;
    ASSERT_TRUE(vxtest::WriteBytes(place + u"style.xsl", c.stylesheet)) << c.what;
    ASSERT_TRUE(vxtest::WriteBytes(place + u"out.XML", kEarlierOutput)) << c.what;
    const std::set<Text> before = FilesIn(place);
    const Text output = place + u"out.XML";

    const rt::TransformOutcome outcome = rt::TransformFile(place + u"in.XML", place + u"style.xsl", output);
    EXPECT_FALSE(outcome.succeeded) << c.what;
    const Text named = c.named == kNamesInput ? place + u"in.XML" : place + u"style.xsl";
    EXPECT_NE(outcome.reason.find(named), Text::npos) << c.what << ": " << Utf8(outcome.reason);
    EXPECT_NE(outcome.reason.find(c.saying), Text::npos) << c.what << ": " << Utf8(outcome.reason);
    EXPECT_EQ(outcome.reason.find(rt::Text(secret.begin(), secret.end())), Text::npos) << c.what;
    EXPECT_EQ(vxtest::ReadBytes(place + u"out.XML").value_or("<none>"), kEarlierOutput) << c.what;
    EXPECT_EQ(FilesIn(place), before) << c.what << ": a file was left behind";
  }
}

}  // namespace
