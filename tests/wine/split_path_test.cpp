// Splitting a path after the platform has expanded it to a full one.
#include <gtest/gtest.h>

#include "runtime/system/system_services.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using rt::TextView;
using vxtest::Utf8;

constexpr rt::LONG kAll = rt::kPathDrive | rt::kPathDirectory | rt::kPathName | rt::kPathExtension;
constexpr rt::LONG kNoExtension = rt::kPathDrive | rt::kPathDirectory | rt::kPathName;
constexpr rt::LONG kDirectoryOnly = rt::kPathDrive | rt::kPathDirectory;

struct SplitCase {
  TextView path;
  // For relative paths: whether the expected drive and directory start with those of the
  // current directory's parent ("C:" and "\...\vx-N-M\").
  bool underBase;
  TextView drive, directory, name, extension;
  rt::LONG flags;
};

class SplitPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vxtest::MakeDirectory(dir / u"outer.d"));
    ASSERT_TRUE(vxtest::MakeDirectory(dir / u"outer.d\\inner"));
    rt::ChangeDirectory(dir / u"outer.d\\inner");
    ASSERT_EQ(rt::ERRORCODE(), 0) << "cannot enter the working directory of the test";
  }

  void Check(const SplitCase& c) {
    const Text& base = dir.path();  // "C:\...\vx-N-M\"
    const Text drive = c.underBase ? base.substr(0, 2) + Text(c.drive) : Text(c.drive);
    const Text directory = c.underBase ? base.substr(2) + Text(c.directory) : Text(c.directory);
    Text gotDrive = u"junk", gotDirectory = u"junk", gotName = u"junk", gotExtension = u"junk";
    const rt::LONG flags = rt::SplitPath(c.path, gotDrive, gotDirectory, gotName, gotExtension);
    const std::string shown = "SplitPath(\"" + Utf8(c.path) + "\")";
    EXPECT_EQ(gotDrive, drive) << shown << " drive: expected " << Utf8(drive) << ", got " << Utf8(gotDrive);
    EXPECT_EQ(gotDirectory, directory) << shown << " directory: expected " << Utf8(directory) << ", got "
                                       << Utf8(gotDirectory);
    EXPECT_EQ(gotName, c.name) << shown << " name: expected " << Utf8(c.name) << ", got " << Utf8(gotName);
    EXPECT_EQ(gotExtension, c.extension) << shown << " extension: expected " << Utf8(c.extension) << ", got "
                                         << Utf8(gotExtension);
    EXPECT_EQ(flags, c.flags) << shown << " flags";
  }

  vxtest::TempDirectory dir;
  vxtest::CurrentDirectoryScope scope{dir.path()};
};

TEST_F(SplitPathTest, FullPaths) {
  const SplitCase cases[] = {
      {u"C:\\", false, u"C:", u"\\", u"", u"", kDirectoryOnly},
      {u"C:\\prog.exe", false, u"C:", u"\\", u"prog", u".exe", kAll},
      {u"D:\\Apps\\Tool\\prog.exe", false, u"D:", u"\\Apps\\Tool\\", u"prog", u".exe", kAll},
      {u"C:\\My.Dir\\prog.exe", false, u"C:", u"\\My.Dir\\", u"prog", u".exe", kAll},
      {u"C:\\My.Dir\\prog", false, u"C:", u"\\My.Dir\\", u"prog", u"", kNoExtension},
      {u"C:\\My.Dir\\", false, u"C:", u"\\My.Dir\\", u"", u"", kDirectoryOnly},
      {u"C:\\data\\a.b.xml", false, u"C:", u"\\data\\", u"a.b", u".xml", kAll},
      {u"C:/data/a.xml", false, u"C:", u"\\data\\", u"a", u".xml", kAll},
      {u"C:\\a\\..\\b\\.\\c.txt", false, u"C:", u"\\b\\", u"c", u".txt", kAll},
      {u"C:\\in\\*.XML", false, u"C:", u"\\in\\", u"*", u".XML", kAll | rt::kPathWildcards},
      {u"C:\\Документы\\Вход\\файл.xml", false, u"C:", u"\\Документы\\Вход\\", u"файл", u".xml", kAll},
      {u"\\\\server\\share\\dir\\prog.exe", false, u"", u"\\\\server\\share\\dir\\", u"prog", u".exe",
       rt::kPathDirectory | rt::kPathName | rt::kPathExtension},
      {u"   C:\\x\\y.z   ", false, u"C:", u"\\x\\", u"y", u".z", kAll},
      {u"", false, u"", u"", u"", u"", 0},
      {u"      ", false, u"", u"", u"", u"", 0},
  };
  for (const auto& c : cases) Check(c);
}

TEST_F(SplitPathTest, RelativePathsAreTakenFromTheCurrentDirectory) {
  const SplitCase cases[] = {
      {u"prog.exe", true, u"", u"outer.d\\inner\\", u"prog", u".exe", kAll},
      {u"prog", true, u"", u"outer.d\\inner\\", u"prog", u"", kNoExtension},
      {u"sub\\a.b.xml", true, u"", u"outer.d\\inner\\sub\\", u"a.b", u".xml", kAll},
      {u"..\\up.txt", true, u"", u"outer.d\\", u"up", u".txt", kAll},
      {u"  .\\x.y  ", true, u"", u"outer.d\\inner\\", u"x", u".y", kAll},
      {u"*.XML", true, u"", u"outer.d\\inner\\", u"*", u".XML", kAll | rt::kPathWildcards},
      {u".", true, u"", u"outer.d\\", u"inner", u"", kNoExtension},
      {u"..", true, u"", u"", u"outer", u".d", kAll},
  };
  for (const auto& c : cases) Check(c);
}

TEST_F(SplitPathTest, RootedPathTakesTheCurrentDrive) {
  const Text drive = vxtest::PlatformCurrentDirectory().substr(0, 2);
  Text gotDrive, gotDirectory, gotName, gotExtension;
  const rt::LONG flags = rt::SplitPath(u"\\rooted\\r.txt", gotDrive, gotDirectory, gotName, gotExtension);
  EXPECT_EQ(gotDrive, drive);
  EXPECT_EQ(gotDirectory, u"\\rooted\\");
  EXPECT_EQ(gotName, u"r");
  EXPECT_EQ(gotExtension, u".txt");
  EXPECT_EQ(flags, kAll);
}

}  // namespace
