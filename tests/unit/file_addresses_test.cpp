#include "transform/xslt/file_addresses.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

// Windows' forms, here where the rule is portable: what an address names, and whether it stays
// in the stylesheet's folder once ".." and case are taken as the file system takes them.
TEST(FileAddresses, PathsOfAddressesAndTheFolderTheyLieIn) {
  // The folder's final path, and the same folder as a short name spells it.
  constexpr TextView kFolder = u"C:\\Программа\\стили", kSpelled = u"C:\\PROGRA~1\\стили";
  using enum AddressDecision::Verdict;
  const struct {
    const char* address;
    std::optional<TextView> path;
    bool inside;
    AddressDecision::Verdict verdict;  // before anything is opened
  } cases[] = {
      {"file:///C:/%D0%9F%D1%80%D0%BE%D0%B3%D1%80%D0%B0%D0%BC%D0%BC%D0%B0/%D1%81%D1%82%D0%B8%D0%BB%D0%B8/a%20%23.xml",
       u"C:\\Программа\\стили\\a #.xml", true, kOpen},
      {"FILE://localhost/c:/программа/СТИЛИ/sub/../b.xml", u"c:\\программа\\СТИЛИ\\sub\\..\\b.xml", true, kOpen},
      {"file:///C:/Программа/стили/../secret.xml", u"C:\\Программа\\стили\\..\\secret.xml", false, kOutside},
      {"file:///C:/Программа/стилиX/a.xml", u"C:\\Программа\\стилиX\\a.xml", false, kOutside},
      {"file:///C:/Программа/стили. /a.xml", u"C:\\Программа\\стили. \\a.xml", true, kOpen},
      {"file:///C:/Программа/", u"C:\\Программа\\", false, kOutside},
      {"C:/PROGRA~1/стили/a.xml", u"C:\\PROGRA~1\\стили\\a.xml", false, kOpen},
      {"Z:/стили/a.xml", u"Z:\\стили\\a.xml", false, kOutside},
      {"file://server/share/x.xml", u"\\\\server\\share\\x.xml", false, kNetwork},
      {"file://///server/share/x.xsd", u"\\\\server\\share\\x.xsd", false, kNetwork},
      {"file:///C:/Программа/стили/data.xml:secret", std::nullopt, false, kStream},
      {"data.xml:secret", std::nullopt, false, kStream},
      {"\\\\?\\C:\\Программа\\стили\\a.xml", std::nullopt, false, kNotAFile},
      {"file:///C:/a%2F..%2F..%2Fb", std::nullopt, false, kNotAFile},
      {"file:///C:/a%00b", std::nullopt, false, kNotAFile},
      {"file:///etc/passwd", std::nullopt, false, kNotAFile},
      {"http://example.org/a.xml", std::nullopt, false, kNotAFile},
      {"a.xml", std::nullopt, false, kNotAFile},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecideAddress(c.address, kFolder, kSpelled, PathStyle::kWindows).verdict, c.verdict) << c.address;
    const std::optional<Text> path = PathOfAddress(c.address, PathStyle::kWindows);
    ASSERT_EQ(path.has_value(), c.path.has_value()) << c.address;
    if (!path) continue;
    EXPECT_EQ(*path, *c.path) << c.address;
    EXPECT_EQ(LiesInside(*path, kFolder, PathStyle::kWindows), c.inside) << c.address;
    EXPECT_EQ(IsNetworkPath(*path, PathStyle::kWindows), path->starts_with(u"\\\\")) << c.address;
  }
  EXPECT_EQ(DecideAddress("file:///C:/Программа/стили/a.xml", u"", u"", PathStyle::kWindows).verdict, kOutside);
  EXPECT_EQ(FileUrlOf(u"C:\\a #%41?\\Д.xsl", PathStyle::kWindows), "file:///C:/a%20%23%2541%3F/%D0%94.xsl");
  EXPECT_EQ(FileUrlOf(u"\\\\server\\share\\m.xsl", PathStyle::kWindows), "file://server/share/m.xsl");
  EXPECT_EQ(PathOfAddress(FileUrlOf(u"/tmp/a #%41?/Д.xsl", PathStyle::kPosix), PathStyle::kPosix),
            Text(u"/tmp/a #%41?/Д.xsl"));
  EXPECT_FALSE(LiesInside(u"/tmp/ab", u"/tmp/a", PathStyle::kPosix));
  EXPECT_FALSE(LiesInside(u"/tmp/A/x", u"/tmp/a", PathStyle::kPosix));
}

// Paths as stylesheets written for Windows spell them, where an address belongs.
TEST(FileAddresses, WindowsPathsAsAddresses) {
  const struct {
    const char* written;
    std::optional<std::string> address;
  } cases[] = {
      {"C:\\data\\codes.xml", "file:///C:/data/codes.xml"},
      {"C:/my data/codes.xml", "file:///C:/my%20data/codes.xml"},
      {"\\\\server\\share\\x.xml", "file://server/share/x.xml"},
      {"data\\коды #1.xml", "data/%D0%BA%D0%BE%D0%B4%D1%8B%20%231.xml"},
      {".\\codes.xml", "./codes.xml"},
      {"sub\\..\\..\\codes.xml", "sub/../../codes.xml"},
      {"file:///C:\\data\\x.xml", "file:///C:/data/x.xml"},
      {"data.xml:s\\x", std::nullopt},
      {"data/codes.xml", std::nullopt},
      {"file:///C:/data/x.xml", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(AddressOfWindowsPath(c.written, PathStyle::kWindows), c.address) << c.written;
  EXPECT_EQ(AddressOfWindowsPath("data\\codes.xml", PathStyle::kPosix), std::nullopt);
  EXPECT_TRUE(NameMatches(u"VEXILATE-JOURNAL.2026-12-08-091503.CSV", u"Vexilate-journal.*.csv", PathStyle::kWindows));
  EXPECT_TRUE(NameMatches(u"vexilate.ini", u"Vexilate.INI", PathStyle::kWindows));
  EXPECT_FALSE(NameMatches(u"Vexilate-journal.csv.bak", u"Vexilate-journal.*.csv", PathStyle::kWindows));
  EXPECT_FALSE(NameMatches(u"Vexilate-journal.csv", u"Vexilate-journal.*.csv", PathStyle::kWindows));
  EXPECT_FALSE(NameMatches(u"vexilate.ini", u"Vexilate.INI", PathStyle::kPosix));
}

}  // namespace
}  // namespace rt
