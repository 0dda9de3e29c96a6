// Transforming XML files with a stylesheet through the program's XSLT library, in its worker, on
// Windows' paths, names and code pages.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runtime/system/win32_api.h"
#include "tests/wine/test_paths.h"
#include "transform/transform_worker.h"

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

// One file as the program converts it: in its worker, the result then put in place.
rt::TransformOutcome Convert(const Text& input, const Text& stylesheet, const Text& output) {
  const rt::StopSignal stop;
  rt::TransformWorker worker(stop, vxtest::WinePathOf(VEXILATE_EXE));
  rt::TransformOutcome outcome = worker.Compile(stylesheet);
  const Text written = output + u".written";
  if (outcome.succeeded) outcome = worker.Transform(input, written, output);
  if (outcome.succeeded)
    MoveFileExW(rt::Wide(u"\\\\?\\" + written), rt::Wide(u"\\\\?\\" + output), MOVEFILE_REPLACE_EXISTING);
  return outcome;
}

class XmlTransform : public ::testing::Test {
 protected:
  vxtest::TempDirectory dir;
};

TEST_F(XmlTransform, FailuresKeepTheEarlierOutputAndSayWhy) {
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
      {"document()", kInput, Stylesheet("document('" + fileUrl + "secret.txt')"), kNamesStylesheet,
       u"вне папки таблицы стилей"},
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

    const rt::TransformOutcome outcome = Convert(place + u"in.XML", place + u"style.xsl", output);
    EXPECT_FALSE(outcome.succeeded) << c.what;
    const Text named = c.named == kNamesInput ? place + u"in.XML" : place + u"style.xsl";
    EXPECT_NE(outcome.reason.find(named), Text::npos) << c.what << ": " << Utf8(outcome.reason);
    EXPECT_NE(outcome.reason.find(c.saying), Text::npos) << c.what << ": " << Utf8(outcome.reason);
    EXPECT_EQ(outcome.reason.find(rt::Text(secret.begin(), secret.end())), Text::npos) << c.what;
    EXPECT_EQ(vxtest::ReadBytes(place + u"out.XML").value_or("<none>"), kEarlierOutput) << c.what;
    EXPECT_EQ(FilesIn(place), before) << c.what << ": a file was left behind";
  }
}

// An import and an include beside the stylesheet convert, named as Windows paths.
TEST_F(XmlTransform, ImportAndInclude) {
  const std::string module = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">";
  std::string main = kPlainStylesheet;
  main.insert(main.find("<xsl:output"), "<xsl:import href=\".\\base.xsl\"/><xsl:include href=\"sub\\..\\part.xsl\"/>");
  const std::string value = "<xsl:value-of select=\".\"/>";
  main.replace(main.find(value), value.size(), "<xsl:call-template name=\"part\"/>");
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"style.xsl", main));
  ASSERT_TRUE(
      vxtest::WriteBytes(dir / u"base.xsl", module + "<xsl:template name=\"base\">b</xsl:template></xsl:stylesheet>"));
  ASSERT_TRUE(vxtest::WriteBytes(
      dir / u"part.xsl",
      module +
          "<xsl:template name=\"part\"><xsl:call-template name=\"base\"/>:<xsl:value-of select=\"string-length(.)\"/>"
          "</xsl:template></xsl:stylesheet>"));
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"in.XML", kInput));
  const rt::TransformOutcome outcome = Convert(dir / u"in.XML", dir / u"style.xsl", dir / u"out.XML");
  ASSERT_TRUE(outcome.succeeded) << Utf8(outcome.reason);
  EXPECT_NE(vxtest::ReadBytes(dir / u"out.XML").value_or("").find("<v n=\"1\">b:6</v><v n=\"2\">b:3</v>"),
            std::string::npos)
      << vxtest::ReadBytes(dir / u"out.XML").value_or("<none>");
}

// Lookup tables and data files as stylesheets keep them: what stays beside the stylesheet is read
// as a standard processor reads it; devices, other computers and other folders are not read.
TEST_F(XmlTransform, DocumentReadsWhatStaysBeside) {
  const std::string module = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">";
  const struct {
    const char* what;
    std::string top, value;  // top-level elements of the stylesheet, and each item's value
    std::vector<std::pair<Text, std::string>> files;
    std::vector<const char16_t*> saying;  // empty: it converts, the item's value ending in `output`
    std::string output = {};
  } cases[] = {
      {"the module itself", "<c:t xmlns:c=\"urn:c\">T</c:t>", "document('')//*[local-name()='t']", {}, {}, "T</v>"},
      // With a node, '' is that node's document: the input, read once by the program.
      {"a variable holding '' with a node",
       "<xsl:variable name=\"self\" select=\"''\"/>",
       "count(document($self, .)/root/item)",
       {},
       {},
       "2</v>"},
      {"a file beside",
       "",
       "document('data/codes.xml')/codes/k",
       {{u"data", ""}, {u"data\\codes.xml", "<codes><k>C</k></codes>"}},
       {},
       "C</v>"},
      {"a parameter entity beside",
       "<!DOCTYPE xsl:stylesheet [<!ENTITY % common SYSTEM \"data/e.ent\"> %common;]>",
       "'&g;'",
       {{u"data", ""}, {u"data\\e.ent", "<!ENTITY g \"G\">"}},
       {},
       "G</v>"},
      {"a Cyrillic name",
       "",
       "document('справочники/коды.xml')/k",
       {{u"справочники", ""}, {u"справочники\\коды.xml", "<k>К</k>"}},
       {},
       "\xCA</v>"},
      // As stylesheets written for Windows spell paths: inside read, outside refused, never nothing.
      {"a Windows path beside",
       "",
       "document('.\\sub\\..\\data\\codes.xml')/codes/k",
       {{u"data", ""}, {u"data\\codes.xml", "<codes><k>C</k></codes>"}},
       {},
       "C</v>"},
      {"a drive path beside", "", "document('" + Utf8(dir / u"data\\codes.xml") + "')/codes/k", {}, {}, "C</v>"},
      {"a drive path outside", "", "document('C:\\windows\\win.ini')", {}, {u"C:\\windows\\win.ini", u"вне папки"}},
      {"a network path", "", "document('\\\\server\\share\\x.xml')", {}, {u"на другом компьютере"}},
      {"a data file cut short",
       "",
       "document('data/cut.xml')",
       {{u"data", ""}, {u"data\\cut.xml", "<codes><k>"}},
       {u"cut.xml", u"не удалось прочитать"}},
      {"a device", "", "document('data/COM1')", {}, {u"data\\COM1", u"не файл на диске"}},
      {"the console", "", "document('CON')", {}, {u"CON", u"не файл на диске"}},
      {"another computer", "", "document('file://server/share/x.xml')", {}, {u"на другом компьютере"}},
  };
  for (const auto& c : cases) {
    std::string stylesheet = Stylesheet(c.value);
    // A DOCTYPE goes before the stylesheet, other elements into it.
    const bool doctype = c.top.starts_with("<!DOCTYPE");
    stylesheet.insert(stylesheet.find(doctype ? "<xsl:stylesheet" : "<xsl:output"), c.top + "\r\n");
    ASSERT_TRUE(vxtest::WriteBytes(dir / u"style.xsl", stylesheet)) << c.what;
    for (const auto& [name, text] : c.files) {
      ASSERT_TRUE(text.empty() ? vxtest::MakeDirectory(dir / name) : vxtest::WriteBytes(dir / name, text)) << c.what;
    }
    ASSERT_TRUE(vxtest::WriteBytes(dir / u"in.XML", kInput));
    DeleteFileW(rt::Wide(dir / u"out.XML"));
    const rt::TransformOutcome outcome = Convert(dir / u"in.XML", dir / u"style.xsl", dir / u"out.XML");
    EXPECT_EQ(outcome.succeeded, c.saying.empty()) << c.what << ": " << Utf8(outcome.reason);
    for (const char16_t* part : c.saying)
      EXPECT_NE(outcome.reason.find(part), Text::npos)
          << c.what << ": " << Utf8(part) << " in " << Utf8(outcome.reason);
    if (c.saying.empty()) {
      const std::string output = vxtest::ReadBytes(dir / u"out.XML").value_or("<none>");
      EXPECT_NE(output.find(c.output), std::string::npos) << c.what << ": " << output;
    }
  }
}

std::string Utf16(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

// A DTD's entities give, byte for byte, what the library gives for the same stylesheet with
// their values written in, whatever the stylesheet's encoding.
TEST_F(XmlTransform, EntitiesGiveWhatTheLibraryGivesWithoutThem) {
  const std::string doctype = "<!DOCTYPE xsl:stylesheet [<!ENTITY nbsp '&#160;'><!ENTITY b '<b n=\"&nbsp;\"/>'>]>";
  const struct {
    const char* what;
    std::string declaration;
    std::string (*encoded)(const std::string&);
  } cases[] = {
      {"windows-1251", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>", [](const std::string& s) { return s; }},
      {"UTF-8 with its mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?>", [](const std::string& s) { return s; }},
      {"UTF-16", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>", Utf16},
  };
  for (const auto& c : cases) {
    const std::string with = Stylesheet(".\"/>&nbsp;&b;<xsl:value-of select=\".");
    const std::string without = Stylesheet(".\"/>&#160;<b n=\"&#160;\"/><xsl:value-of select=\".");
    std::string outputs[2];
    for (int i = 0; i < 2; ++i) {
      const std::string body = (i == 0 ? with : without).substr(with.find("<xsl:stylesheet"));
      ASSERT_TRUE(vxtest::WriteBytes(dir / u"style.xsl", c.encoded(c.declaration + (i == 0 ? doctype : "") + body)));
      ASSERT_TRUE(vxtest::WriteBytes(dir / u"in.XML", kInput));
      const rt::TransformOutcome outcome = Convert(dir / u"in.XML", dir / u"style.xsl", dir / u"out.XML");
      EXPECT_TRUE(outcome.succeeded) << c.what << ": " << Utf8(outcome.reason);
      outputs[i] = vxtest::ReadBytes(dir / u"out.XML").value_or("<none>");
    }
    EXPECT_EQ(outputs[0], outputs[1]) << c.what;
    EXPECT_NE(outputs[0].find("\xA0"), std::string::npos) << c.what << ": " << outputs[0];
  }
}

// Modules that pull each other in, in a circle, are refused; a module named by an address that
// is no file is refused by name.
TEST_F(XmlTransform, ModulesInACircleOrNotFiles) {
  const std::string module = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">";
  const struct {
    const char* what;
    std::string other;
    const char16_t* saying;
  } cases[] = {
      {"circle", module + "<xsl:import href=\"style.xsl\"/></xsl:stylesheet>", u"подключает сама себя"},
      {"address", module + "<xsl:include href=\"http://example.org/x.xsl\"/></xsl:stylesheet>",
       u"обращается к http://example.org/x.xsl"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(vxtest::WriteBytes(dir / u"in.XML", kInput));
    std::string main = kPlainStylesheet;
    main.insert(main.find("<xsl:output"), "<xsl:include href=\"sub/../other.xsl\"/>");
    ASSERT_TRUE(vxtest::WriteBytes(dir / u"style.xsl", main));
    ASSERT_TRUE(vxtest::WriteBytes(dir / u"other.xsl", c.other));
    const rt::TransformOutcome outcome = Convert(dir / u"in.XML", dir / u"style.xsl", dir / u"out.XML");
    EXPECT_FALSE(outcome.succeeded) << c.what;
    EXPECT_NE(outcome.reason.find(c.saying), Text::npos) << c.what << ": " << Utf8(outcome.reason);
  }
}

// Paths beyond the system's 260 characters, with marks a URL would read otherwise, for the
// input, the output and the stylesheet's modules.
TEST_F(XmlTransform, LongPathsWithMarks) {
  constexpr char kModule[] =
      "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match=\"x\"/>"
      "</xsl:stylesheet>";
  const Text place = dir / (u"a #%41 Д" + Text(240, u'я') + u"\\");
  ASSERT_TRUE(CreateDirectoryW(rt::Wide(u"\\\\?\\" + place), nullptr));
  std::string main = kPlainStylesheet;
  main.insert(main.find("<xsl:output"), "<xsl:include href=\"m%20odule.xsl\"/>");
  for (const auto& [name, bytes] : {std::pair{Text(u"in.XML"), kInput}, std::pair{Text(u"style.xsl"), main},
                                    std::pair{Text(u"m odule.xsl"), std::string(kModule)}}) {
    HANDLE file =
        CreateFileW(rt::Wide(u"\\\\?\\" + place + name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  const rt::TransformOutcome outcome = Convert(place + u"in.XML", place + u"style.xsl", place + u"out.XML");
  EXPECT_TRUE(outcome.succeeded) << Utf8(outcome.reason);
  EXPECT_NE(GetFileAttributesW(rt::Wide(u"\\\\?\\" + place + u"out.XML")), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(vxtest::RemoveTree(u"\\\\?\\" + place));
}

}  // namespace
