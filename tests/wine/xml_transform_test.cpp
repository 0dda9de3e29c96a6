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
std::string Input(const std::string& first, const std::string& second = "\xEC\xE8\xF0") {
  return std::string(kDeclaration1251) + "\r\n<root><item>" + first + "</item><item>" + second + "</item></root>\r\n";
}
std::string Expected(const std::string& first, const std::string& second = "\xEC\xE8\xF0") {
  return std::string(kDeclaration1251) + "<out><v n=\"1\">" + first + "</v><v n=\"2\">" + second + "</v></out>";
}
const std::string kHello = "\xCF\xF0\xE8\xE2\xE5\xF2";

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

TEST_F(XmlTransform, Windows1251InputGivesTheStylesheetsBytes) {
  ASSERT_TRUE(com.ready());
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"in.XML", Input(kHello)));
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"style.xsl", kPlainStylesheet));
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"out.XML", kEarlierOutput));
  const rt::TransformOutcome outcome = rt::TransformFile(dir / u"in.XML", dir / u"style.xsl", dir / u"out.XML");
  EXPECT_TRUE(outcome.succeeded) << Utf8(outcome.reason);
  EXPECT_EQ(vxtest::ReadBytes(dir / u"out.XML").value_or("<none>"), Expected(kHello));
  EXPECT_EQ(FilesIn(dir.path()), (std::set<Text>{u"in.XML", u"style.xsl", u"out.XML"}));
}

TEST_F(XmlTransform, FailuresKeepTheEarlierOutputAndSayWhy) {
  ASSERT_TRUE(com.ready());
  const std::string secret = "SECRET-7f3a";
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"secret.txt", secret));
  const std::string fileUrl = [&] {
    std::string url = "file:///" + Utf8(dir.path());
    for (char& c : url) c = c == '\\' ? '/' : c;
    return url;
  }();
  enum Named { kNamesInput, kNamesStylesheet, kNamesOutput };
  const struct {
    const char* what;
    std::string input, stylesheet;  // no stylesheet file when empty
    bool outputDirectory;
    Named named;  // the file the reason names by its full path
    const char16_t* saying;
  } cases[] = {
      {"input not well-formed", Input(kHello) + "<root>\r\n <bad attr=1/>\r\n</root>", kPlainStylesheet, true,
       kNamesInput, u"Ошибка в файле "},
      {"stylesheet missing", Input(kHello), "", true, kNamesStylesheet, u"Не найдена таблица стилей "},
      {"stylesheet not well-formed", Input(kHello), "<xsl:stylesheet>", true, kNamesStylesheet,
       u"Ошибка в таблице стилей "},
      {"output directory missing", Input(kHello), kPlainStylesheet, false, kNamesOutput, u"Не удалось записать файл "},
      {"external entity",
       "<?xml version=\"1.0\"?>\r\n<!DOCTYPE root [<!ENTITY e SYSTEM \"" + fileUrl +
           "secret.txt\">]>\r\n<root><item>&e;</item></root>",
       kPlainStylesheet, true, kNamesInput, u"DTD"},
      {"document()", Input(kHello), Stylesheet("document('" + fileUrl + "secret.txt')"), true, kNamesStylesheet,
       u"document()"},
      {"script", Input(kHello), Stylesheet("u:f()", "f"), true, kNamesStylesheet, u"сценарии"},
      {"transformation stopped", Input(kHello),
       Stylesheet(".\"/><xsl:message terminate=\"yes\">stop</xsl:message><xsl:value-of select=\"."), true, kNamesInput,
       u"Преобразование файла "},
  };
  int serial = 0;
  for (const auto& c : cases) {
    const Text place = dir / (u"case" + Text(1, static_cast<char16_t>(u'0' + serial++)) + u"\\");
    ASSERT_TRUE(vxtest::MakeDirectory(place)) << c.what;
    ASSERT_TRUE(vxtest::WriteBytes(place + u"in.XML", c.input)) << c.what;
    if (!c.stylesheet.empty()) {
      ASSERT_TRUE(vxtest::WriteBytes(place + u"style.xsl", c.stylesheet)) << c.what;
    }
    ASSERT_TRUE(vxtest::WriteBytes(place + u"out.XML", kEarlierOutput)) << c.what;
    const std::set<Text> before = FilesIn(place);
    const Text output = c.outputDirectory ? place + u"out.XML" : place + u"absent\\out.XML";

    const rt::TransformOutcome outcome = rt::TransformFile(place + u"in.XML", place + u"style.xsl", output);
    EXPECT_FALSE(outcome.succeeded) << c.what;
    const Text named = c.named == kNamesInput        ? place + u"in.XML"
                       : c.named == kNamesStylesheet ? place + u"style.xsl"
                                                     : output;
    EXPECT_NE(outcome.reason.find(named), Text::npos) << c.what << ": " << Utf8(outcome.reason);
    EXPECT_NE(outcome.reason.find(c.saying), Text::npos) << c.what << ": " << Utf8(outcome.reason);
    EXPECT_EQ(outcome.reason.find(rt::Text(secret.begin(), secret.end())), Text::npos) << c.what;
    EXPECT_EQ(vxtest::ReadBytes(place + u"out.XML").value_or("<none>"), kEarlierOutput) << c.what;
    EXPECT_EQ(FilesIn(place), before) << c.what << ": a file was left behind";
  }
}

TEST_F(XmlTransform, OneCompiledStylesheetServesABatch) {
  ASSERT_TRUE(com.ready());
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"style.xsl", kPlainStylesheet));
  Text reason;
  const auto stylesheet = rt::CompiledStylesheet::Compile(dir / u"style.xsl", reason);
  ASSERT_TRUE(stylesheet) << Utf8(reason);
  const std::string firsts[] = {kHello, "\xE0", "\xC0\xC1\xC2 &amp; \xFF"};
  int serial = 0;
  for (const std::string& first : firsts) {
    const Text name = Text(1, static_cast<char16_t>(u'0' + serial++));
    ASSERT_TRUE(vxtest::WriteBytes(dir / (u"in" + name + u".XML"), Input(first)));
    const auto outcome =
        rt::TransformFile(*stylesheet, dir / (u"in" + name + u".XML"), dir / (u"out" + name + u".XML"));
    EXPECT_TRUE(outcome.succeeded) << Utf8(outcome.reason);
    EXPECT_EQ(vxtest::ReadBytes(dir / (u"out" + name + u".XML")).value_or("<none>"), Expected(first));
  }
}

}  // namespace
