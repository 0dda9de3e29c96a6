// Stylesheets as offices keep them and as an attacker would write them, through the same
// compilation and transformation the worker runs: every file the library reads is decided by the
// rule, and what is converted comes out as the standard processor writes it.
#include "transform/xslt/xslt_stylesheet.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xml_support/library_memory.h"
#include "transform/xslt/library_messages.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Stylesheet(const std::string& top, const std::string& body, const std::string& spaces = "") {
  return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"" + spaces + ">" + top +
         "<xsl:template match=\"/\"><out>" + body + "</out></xsl:template></xsl:stylesheet>";
}

// The input as given, the folder's files and what comes out; the secret lies beside the folder.
struct Case {
  const char* what;
  std::string stylesheet;
  std::vector<std::pair<std::string, std::string>> files;  // beside the stylesheet
  std::string input = "<r><p>x <i>y</i> <i>z</i></p></r>";
  const char* output = nullptr;  // converted, with this in the result; else refused or failed
  const char* saying = nullptr;  // in the reason
  std::size_t largestAllocation = std::numeric_limits<std::size_t>::max();  // the libraries may make
};

// A module of these top-level elements.
std::string Module(const std::string& elements) {
  return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">" + elements +
         "</xsl:stylesheet>";
}

// Modules m0 … m<count-1>, each importing the next; m<count> imports `last`.
std::vector<std::pair<std::string, std::string>> ChainOfModules(int count, const std::string& last = "") {
  std::vector<std::pair<std::string, std::string>> modules;
  for (int n = 0; n < count; ++n) {
    modules.emplace_back(
        "m" + std::to_string(n) + ".xsl",
        Module("<xsl:import href=\"" + (n + 1 < count ? "m" + std::to_string(n + 1) + ".xsl" : last) + "\"/>"));
  }
  if (last.empty()) modules.back().second = Module("");
  return modules;
}

// Entities that grow a billion-fold.
std::string Exploding(const std::string& root) {
  std::string dtd = "<!DOCTYPE " + root + " [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaa\">";
  for (char level = 'b'; level <= 'h'; ++level) {
    dtd += std::string("<!ENTITY ") + level + " \"";
    for (int n = 0; n < 20; ++n) dtd += std::string("&") + static_cast<char>(level - 1) + ";";
    dtd += "\">";
  }
  return dtd + "]>";
}

class XsltStylesheetRules : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vx-xslt-XXXXXX";
    root_ = mkdtemp(pattern);
    Write(root_ / "secret.xml", "<s>SECRET-7f3a</s>");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path root_;
};

TEST_F(XsltStylesheetRules, ReadsOnlyTheFolderAndConvertsAsTheStandardProcessor) {
  const std::string secretUrl = "file://" + (root_ / "secret.xml").string();
  const std::string exslt = " xmlns:exsl=\"http://exslt.org/common\" xmlns:ms=\"urn:schemas-microsoft-com:xslt\"";
  const std::string out = "<xsl:value-of select=\"document($b:v)/s\"/>";
  const Case cases[] = {
      {"whitespace of the input kept",
       Stylesheet("",
                  "<xsl:value-of select=\"r/p\"/>|<xsl:value-of "
                  "select=\"count(r/p/text())\"/>"),
       {},
       "<r><p>x <i>y</i> <i>z</i></p></r>",
       "<out>x y z|2</out>"},
      {"node-set of both kinds (the standard processor knows one)",
       Stylesheet("<xsl:variable name=\"f\"><k>1</k><k>2</k></xsl:variable>",
                  "<xsl:value-of select=\"count(exsl:node-set($f)/k) + count(ms:node-set($f)/k)\"/>", exslt),
       {},
       "<r/>",
       "4</out>"},
      {"a data file with a Cyrillic name (the standard processor finds none)",
       Stylesheet("", "<xsl:value-of select=\"document('справочники/коды.xml')/k\"/>"),
       {{"справочники/коды.xml", "<k>код</k>"}},
       "<r/>",
       "<out>код</out>"},
      {"an address computed from data inside",
       Stylesheet("<xsl:key name=\"l\" match=\"f\" use=\"@lang\"/>",
                  "<xsl:for-each select=\"document('index.xml')\"><xsl:value-of "
                  "select=\"document(key('l', 'ru')/@href)/k\"/></xsl:for-each>"),
       {{"index.xml", "<i><f lang=\"ru\" href=\"l10n/ru.xml\"/></i>"}, {"l10n/ru.xml", "<k>ru</k>"}},
       "<r/>",
       "<out>ru</out>"},
      {"an include beside and an entity file beside",
       "<!DOCTYPE xsl:stylesheet [<!ENTITY % e SYSTEM \"e.ent\"> %e;]>" +
           Stylesheet("<xsl:include href=\"sub/../part.xsl\"/>", "<xsl:call-template name=\"p\"/>&g;"),
       {{"e.ent", "<!ENTITY g \"G\">"},
        {"part.xsl",
         "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
         "<xsl:template name=\"p\">P</xsl:template></xsl:stylesheet>"}},
       "<r/>",
       "<out>PG</out>"},
      {"the same variable spelled with another prefix",
       Stylesheet("<xsl:variable name=\"a:v\" select=\"'" + secretUrl + "'\"/>", out,
                  " xmlns:a=\"urn:v\" xmlns:b=\"urn:v\""),
       {},
       "<r/>",
       nullptr,
       "вне папки таблицы стилей"},
      {"document('', .) with an xml:base in the input",
       Stylesheet("", "<xsl:value-of select=\"document('', r)/s\"/>"),
       {},
       "<r xml:base=\"" + secretUrl + "\"/>",
       nullptr,
       "вне папки таблицы стилей"},
      {"an address computed outside",
       Stylesheet("", "<xsl:value-of select=\"document(concat('../se', 'cret.xml'))\"/>"),
       {},
       "<r/>",
       nullptr,
       "вне папки таблицы стилей"},
      {"an address from the input",
       Stylesheet("", "<xsl:value-of select=\"document(r/@href)\"/>"),
       {},
       "<r href=\"secret.xml\"/>",
       nullptr,
       "вне папки таблицы стилей"},
      {"an include outside",
       Stylesheet("<xsl:include href=\"../secret.xml\"/>", ""),
       {},
       "<r/>",
       nullptr,
       "вне папки таблицы стилей"},
      {"a link inside to a file outside",
       Stylesheet("", "<xsl:value-of select=\"document('link.xml')\"/>"),
       {},
       "<r/>",
       nullptr,
       "вне папки таблицы стилей"},
      {"a pipe inside",
       Stylesheet("", "<xsl:value-of select=\"document('pipe.xml')\"/>"),
       {},
       "<r/>",
       nullptr,
       "не файл на диске"},
      {"another computer",
       Stylesheet("", "<xsl:value-of select=\"document('file://server/share/x.xml')\"/>"),
       {},
       "<r/>",
       nullptr,
       "не файл на этом компьютере"},
      {"the network",
       Stylesheet("", "<xsl:value-of select=\"document('http://127.0.0.1:9/x.xml')\"/>"),
       {},
       "<r/>",
       nullptr,
       "не файл на этом компьютере"},
      {"xsl:document",
       Stylesheet("", "<xsl:document href=\"file://" + (root_ / "styles/made/written.xml").string() +
                          "\"><w/></xsl:document>"),
       {},
       "<r/>",
       nullptr,
       "не может записывать файлы"},
      {"exsl:document",
       Stylesheet("", "<exsl:document href=\"written.xml\"><w/></exsl:document>",
                  exslt + " extension-element-prefixes=\"exsl\""),
       {},
       "<r/>",
       nullptr,
       "не может записывать файлы"},
      {"saxon:output",
       Stylesheet("", "<saxon:output href=\"written.xml\"><w/></saxon:output>",
                  " xmlns:saxon=\"http://icl.com/saxon\" extension-element-prefixes=\"saxon\""),
       {},
       "<r/>",
       nullptr,
       "не может записывать файлы"},
      {"modules in a circle the library does not see",
       Stylesheet("<xsl:include href=\"sub/../part.xsl\"/>", ""),
       {{"part.xsl",
         "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
         "<xsl:import href=\"qRec7to4.xsl\"/></xsl:stylesheet>"}},
       "<r/>",
       nullptr,
       "подключает сама себя"},
      {"a script",
       Stylesheet("<ms:script language=\"JScript\" implements-prefix=\"ms\">1</ms:script>", "", exslt),
       {},
       "<r/>",
       nullptr,
       "использует сценарии, а они отключены (строка 1)"},
      {"entities that amplify",
       "<!DOCTYPE xsl:stylesheet [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"><!ENTITY b "
       "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
       "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d "
       "\"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e "
       "\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f "
       "\"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">]>" +
           Stylesheet("", "&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;"),
       {},
       "<r/>",
       nullptr,
       "Ошибка в таблице стилей"},
      {"an undeclared variable", Stylesheet("", "<xsl:value-of select=\"$nowhere\"/>"), {}, "<r/>", nullptr, "line 1"},
      {"xsl:message terminate",
       Stylesheet("", "<xsl:message terminate=\"yes\">stop here</xsl:message>"),
       {},
       "<r/>",
       nullptr,
       "stop here"},
      {"a DTD in the input",
       Stylesheet("", ""),
       {},
       "<!DOCTYPE r SYSTEM \"../secret.xml\"><r/>",
       nullptr,
       "объявление DTD"},
      {"the addresses' base given",
       Stylesheet("", "<xsl:value-of select=\"document(r/f, document(''))/k\"/>"),
       {{"codes.xml", "<k>K</k>"}},
       "<r><f>codes.xml</f></r>",
       "<out>K</out>"},
      {"shared modules",
       Stylesheet(
           [] {
             std::string imports;
             for (int n = 0; n < 17; ++n) imports += "<xsl:import href=\"s" + std::to_string(n) + ".xsl\"/>";
             return imports;
           }(),
           "<xsl:call-template name=\"c\"/>"),
       [] {
         std::vector<std::pair<std::string, std::string>> shared{
             {"common.xsl", Module("<xsl:template name=\"c\">C</xsl:template>")}};
         for (int n = 0; n < 17; ++n)
           shared.emplace_back("s" + std::to_string(n) + ".xsl", Module("<xsl:import href=\"common.xsl\"/>"));
         return shared;
       }(),
       "<r/>", "<out>C</out>"},
      {"modules nested past the limit", Stylesheet("<xsl:import href=\"m0.xsl\"/>", ""), ChainOfModules(250), "<r/>",
       nullptr, "вложена глубже 200 уровней"},
      {"a chain back to the stylesheet", Stylesheet("<xsl:include href=\"m0.xsl\"/>", ""),
       ChainOfModules(5, "qRec7to4.xsl"), "<r/>", nullptr, "подключает сама себя"},
      {"a data file cut short",
       Stylesheet("", "<xsl:value-of select=\"document('d.xml')\"/>"),
       {{"d.xml", "<d><e>"}},
       "<r/>",
       nullptr,
       "d.xml (его читает таблица стилей"},
      {"a data file's text over the library's limit",
       Stylesheet("", "<xsl:value-of select=\"count(document('d.xml'))\"/>"),
       {{"d.xml", "<d>" + std::string(10'000'001, 'x') + "</d>"}},
       "<r/>",
       nullptr,
       "не удалось прочитать"},
      {"a data file's entities exploding",
       Stylesheet("", "<xsl:value-of select=\"count(document('d.xml'))\"/>"),
       {{"d.xml", Exploding("d") + "<d>&h;</d>"}},
       "<r/>",
       nullptr,
       "не удалось прочитать"},
      {"more than the stylesheets may read in all",
       Stylesheet("", "<xsl:value-of select=\"count(document('d.xml'))\"/>"),
       {{"d.xml", "<d>" +
                      [] {
                        std::string many;
                        for (int n = 0; n < 65 * 1024; ++n) many += "<e/>" + std::string(1020, ' ');
                        return many;
                      }() +
                      "</d>"}},
       "<r/>",
       nullptr,
       "больше 64 МБ"},
      {"the program's own journal beside",
       Stylesheet("", "<xsl:value-of select=\"document('Vexilate-journal.csv')\"/>"),
       {{"Vexilate-journal.csv", "<j/>"}},
       "<r/>",
       nullptr,
       "собственный файл программы"},
      {"memory running out",
       Stylesheet("", "<xsl:value-of select=\"string-length(concat(r, r, r, r))\"/>"),
       {},
       "<r>" + std::string(300'000, 'x') + "</r>",
       nullptr,
       "Не хватило памяти",
       1 << 20},
      {"twenty thousand scripts",
       Stylesheet(
           [] {
             std::string scripts;
             for (int n = 0; n < 20'000; ++n) scripts += "<ms:script implements-prefix=\"ms\">1</ms:script>";
             return scripts;
           }(),
           "", exslt),
       {},
       "<r/>",
       nullptr,
       "… и ещё 19"},
      {"a name of forty thousand letters",
       Stylesheet("", ""),
       {},
       "<" + std::string(40'000, 'n') + ">",
       nullptr,
       "Файл обрывается"},
  };
  const fs::path folder = root_ / "styles";
  for (const Case& c : cases) {
    fs::remove_all(folder);
    Write(folder / "qRec7to4.xsl", c.stylesheet);
    for (const auto& [name, bytes] : c.files) Write(folder / fs::u8path(name), bytes);
    fs::create_symlink(root_ / "secret.xml", folder / "link.xml");
    ASSERT_EQ(mkfifo((folder / "pipe.xml").c_str(), 0600), 0);
    Write(root_ / "in.xml", c.input);
    std::string result;
    TransformOutcome outcome;
    const Text stylesheetPath = TextOfUtf8((folder / "qRec7to4.xsl").string());
    std::vector<ReadDecision> reads;
    ReadGuard::KeepPrivate(
        {TextOfUtf8((folder / "Vexilate.INI").string()), TextOfUtf8((folder / "Vexilate-journal*.csv").string())});
    FailLibraryAllocationsFrom(c.largestAllocation);
    std::unique_ptr<XsltStylesheet> compiled = XsltStylesheet::Compile(stylesheetPath, outcome.reason, &reads);
    if (compiled) {
      outcome = compiled->Transform(TextOfUtf8((root_ / "in.xml").string()), [&](std::string_view bytes) {
        result += bytes;
        return true;
      });
    }
    FailLibraryAllocationsFrom(std::numeric_limits<std::size_t>::max());
    const std::string reason = Utf8Of(outcome.reason);
    EXPECT_EQ(outcome.succeeded, c.output != nullptr) << c.what << ": " << reason;
    // Bounded, with paths for the libraries' addresses, each thing said once.
    EXPECT_LE(outcome.reason.size(), kReasonLength + 1) << c.what;
    EXPECT_EQ(reason.find("file://"), std::string::npos) << c.what << ": " << reason;
    if (c.output && std::string_view(c.what).find("standard processor") == std::string_view::npos) {
      EXPECT_NE(result.find(c.output), std::string::npos) << c.what << ": " << result;
      // Byte for byte what the standard processor built from the same sources writes.
      const fs::path expected = root_ / "expected.out";
      const std::string command = std::string(VEXILATE_XSLTPROC) + " --nonet -o '" + expected.string() + "' '" +
                                  (folder / "qRec7to4.xsl").string() + "' '" + (root_ / "in.xml").string() + "'";
      ASSERT_EQ(std::system(command.c_str()), 0) << c.what;
      EXPECT_EQ(result, Read(expected)) << c.what;
    } else if (c.output) {
      EXPECT_NE(result.find(c.output), std::string::npos) << c.what << ": " << result;
    } else {
      EXPECT_NE(reason.find(c.saying), std::string::npos) << c.what << ": " << reason;
      EXPECT_EQ(reason.find(c.saying, reason.find(c.saying) + 1), std::string::npos) << c.what << ": " << reason;
    }
    EXPECT_EQ(reason.find("SECRET-7f3a"), std::string::npos) << c.what;
    EXPECT_FALSE(fs::exists(folder / "made")) << c.what;
    // Every file read lies in the folder; whatever else was asked for is refused.
    if (compiled) reads = compiled->reads();
    EXPECT_FALSE(reads.empty()) << c.what;
    for (const ReadDecision& read : reads) {
      if (read.verdict != ReadDecision::Verdict::kRead) continue;
      EXPECT_TRUE(LiesInside(read.path, TextOfUtf8(fs::canonical(folder).string()), PathStyle::kPosix))
          << c.what << ": " << read.address;
    }
  }
}

}  // namespace
}  // namespace rt
