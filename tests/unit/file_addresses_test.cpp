#include "transform/xslt/file_addresses.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

// Windows' forms, here where the rule is portable: what an address names, and whether it stays
// in the stylesheet's folder once ".." and case are taken as the file system takes them.
TEST(FileAddresses, PathsOfAddressesAndTheFolderTheyLieIn) {
  constexpr TextView kFolder = u"C:\\Программа\\стили";
  const struct {
    const char* address;
    std::optional<TextView> path;
    bool inside;
  } cases[] = {
      {"file:///C:/%D0%9F%D1%80%D0%BE%D0%B3%D1%80%D0%B0%D0%BC%D0%BC%D0%B0/%D1%81%D1%82%D0%B8%D0%BB%D0%B8/a%20%23.xml",
       u"C:\\Программа\\стили\\a #.xml", true},
      {"FILE://localhost/c:/программа/СТИЛИ/sub/../b.xml", u"c:\\программа\\СТИЛИ\\sub\\..\\b.xml", true},
      {"file:///C:/Программа/стили/../secret.xml", u"C:\\Программа\\стили\\..\\secret.xml", false},
      {"file:///C:/Программа/стилиX/a.xml", u"C:\\Программа\\стилиX\\a.xml", false},
      {"C:/Программа/стили/a.xml", u"C:\\Программа\\стили\\a.xml", true},
      {"file://server/share/x.xml", u"\\\\server\\share\\x.xml", false},
      {"file://///server/share/x.xml", std::nullopt, false},
      {"\\\\?\\C:\\Программа\\стили\\a.xml", std::nullopt, false},
      {"file:///C:/a%2F..%2F..%2Fb", std::nullopt, false},
      {"file:///C:/a%00b", std::nullopt, false},
      {"file:///etc/passwd", std::nullopt, false},
      {"http://example.org/a.xml", std::nullopt, false},
      {"a.xml", std::nullopt, false},
  };
  for (const auto& c : cases) {
    const std::optional<Text> path = PathOfAddress(c.address, PathStyle::kWindows);
    ASSERT_EQ(path.has_value(), c.path.has_value()) << c.address;
    if (!path) continue;
    EXPECT_EQ(*path, *c.path) << c.address;
    EXPECT_EQ(LiesInside(*path, kFolder, PathStyle::kWindows), c.inside) << c.address;
    EXPECT_EQ(IsNetworkPath(*path, PathStyle::kWindows), path->starts_with(u"\\\\")) << c.address;
  }
  EXPECT_EQ(FileUrlOf(u"C:\\a #%41?\\Д.xsl", PathStyle::kWindows), "file:///C:/a%20%23%2541%3F/%D0%94.xsl");
  EXPECT_EQ(FileUrlOf(u"\\\\server\\share\\m.xsl", PathStyle::kWindows), "file://server/share/m.xsl");
  EXPECT_EQ(PathOfAddress(FileUrlOf(u"/tmp/a #%41?/Д.xsl", PathStyle::kPosix), PathStyle::kPosix),
            Text(u"/tmp/a #%41?/Д.xsl"));
  EXPECT_FALSE(LiesInside(u"/tmp/ab", u"/tmp/a", PathStyle::kPosix));
  EXPECT_FALSE(LiesInside(u"/tmp/A/x", u"/tmp/a", PathStyle::kPosix));
}

}  // namespace
}  // namespace rt
