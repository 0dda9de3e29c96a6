#include "transform/documents/module_paths.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(ModuleFilePath, ResolvesHrefsAgainstTheIncludingModule) {
  constexpr TextView kModule = u"C:\\a #%41\\Д b\\main.xsl";
  const struct {
    TextView href;
    std::optional<TextView> path;
  } cases[] = {
      {u"common.xsl", u"C:\\a #%41\\Д b\\common.xsl"},
      {u"sub/x.xsl", u"C:\\a #%41\\Д b\\sub\\x.xsl"},
      {u"./../y.xsl", u"C:\\a #%41\\y.xsl"},
      {u"../../../../z.xsl", u"C:\\z.xsl"},
      {u"my%20file%23.xsl#top", u"C:\\a #%41\\Д b\\my file#.xsl"},
      {u"%D0%94.xsl", u"C:\\a #%41\\Д b\\Д.xsl"},
      {u"end%41", u"C:\\a #%41\\Д b\\endA"},
      {u"\\root.xsl", u"C:\\root.xsl"},
      {u"D:/other/o.xsl", u"D:\\other\\o.xsl"},
      {u"file:///E:/x%25y/o.xsl", u"E:\\x%y\\o.xsl"},
      {u"FILE://server/share/o.xsl", u"\\\\server\\share\\o.xsl"},
      {u"\\\\server\\share\\o.xsl", u"\\\\server\\share\\o.xsl"},
      {u"http://example.org/o.xsl", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto path = ModuleFilePath(kModule, c.href);
    ASSERT_EQ(path.has_value(), c.path.has_value()) << std::string(c.href.begin(), c.href.end());
    if (path) EXPECT_TRUE(*path == *c.path) << std::string(c.href.begin(), c.href.end());
  }
  EXPECT_EQ(ModuleFilePath(u"\\\\server\\share\\d\\m.xsl", u"/r.xsl"), Text(u"\\\\server\\share\\r.xsl"));
}

TEST(FileUrl, EscapesWhatAnAddressWouldReadOtherwise) {
  EXPECT_EQ(FileUrl(u"C:\\Temp\\a #%41?\\Д.xsl"), u"file:///C:/Temp/a%20%23%2541%3F/Д.xsl");
  EXPECT_EQ(FileUrl(u"\\\\server\\share\\m.xsl"), u"file://server/share/m.xsl");
}

TEST(ExtendedLengthPath, OnlyForLongPaths) {
  const Text longName(250, u'x');
  EXPECT_EQ(ExtendedLengthPath(u"C:\\short.xml"), u"C:\\short.xml");
  EXPECT_EQ(ExtendedLengthPath(u"C:\\" + longName), u"\\\\?\\C:\\" + longName);
  EXPECT_EQ(ExtendedLengthPath(u"\\\\s\\h\\" + longName), u"\\\\?\\UNC\\s\\h\\" + longName);
  EXPECT_EQ(ExtendedLengthPath(u"\\\\?\\C:\\" + longName), u"\\\\?\\C:\\" + longName);
}

}  // namespace
}  // namespace rt
