#include "runtime/text/path_split.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(SplitFullPath, Parts) {
  const struct {
    TextView path, drive, directory, name, extension;
    LONG flags;
  } cases[] = {
      {u"D:\\Apps\\Tool\\prog.exe", u"D:", u"\\Apps\\Tool\\", u"prog", u".exe",
       kPathDrive | kPathDirectory | kPathName | kPathExtension},
      {u"C:\\", u"C:", u"\\", u"", u"", kPathDrive | kPathDirectory},
      {u"C:\\prog.exe", u"C:", u"\\", u"prog", u".exe", kPathDrive | kPathDirectory | kPathName | kPathExtension},
      {u"C:\\My.Dir\\prog", u"C:", u"\\My.Dir\\", u"prog", u"", kPathDrive | kPathDirectory | kPathName},
      {u"\\\\server\\share\\dir\\prog.exe", u"", u"\\\\server\\share\\dir\\", u"prog", u".exe",
       kPathDirectory | kPathName | kPathExtension},
      {u"C:/data/a.b.xml", u"C:", u"/data/", u"a.b", u".xml", kPathDrive | kPathDirectory | kPathName | kPathExtension},
      {u"C:\\in\\*.XML", u"C:", u"\\in\\", u"*", u".XML",
       kPathDrive | kPathDirectory | kPathName | kPathExtension | kPathWildcards},
      {u"  C:\\x\\y.z  ", u"C:", u"\\x\\", u"y", u".z", kPathDrive | kPathDirectory | kPathName | kPathExtension},
      {u"name", u"", u"", u"name", u"", kPathName},
      {u"", u"", u"", u"", u"", 0},
  };
  for (const auto& c : cases) {
    const PathParts parts = SplitFullPath(c.path);
    const std::string shown(c.path.begin(), c.path.end());
    EXPECT_EQ(parts.drive, c.drive) << shown;
    EXPECT_EQ(parts.directory, c.directory) << shown;
    EXPECT_EQ(parts.name, c.name) << shown;
    EXPECT_EQ(parts.extension, c.extension) << shown;
    EXPECT_EQ(parts.flags, c.flags) << shown;
  }
}

TEST(SplitFullPath, LongPartsAreCut) {
  const Text longName(300, u'n');
  const PathParts parts = SplitFullPath(u"C:\\" + longName + u"\\" + longName + u"." + longName);
  EXPECT_EQ(parts.directory.size(), 255u);
  EXPECT_EQ(parts.name.size(), 255u);
  EXPECT_EQ(parts.extension.size(), 255u);
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
