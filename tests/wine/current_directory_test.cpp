// The process's current directory: changing it, failing to, and reading it in long names.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/system/system_services.h"
#include "runtime/system/win32_api.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using rt::TextView;
using vxtest::Utf8;

Text WithoutSeparator(const Text& path) {
  return path.size() > 3 && path.back() == u'\\' ? path.substr(0, path.size() - 1) : path;
}

Text ShortName(const Text& path) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(rt::Wide(path), buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? rt::FromWide(buffer, length) : Text();
}

class CurrentDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vxtest::MakeDirectory(dir / u"start"));
    ASSERT_TRUE(vxtest::MakeDirectory(dir / u"good"));
    ASSERT_TRUE(vxtest::WriteBytes(dir / u"plain file.txt", "not a directory"));
    ASSERT_TRUE(scope.entered()) << "cannot enter " << Utf8(dir.path());
    ASSERT_TRUE(SetCurrentDirectoryW(rt::Wide(dir / u"start")));
  }
  vxtest::TempDirectory dir;
  // Puts the test runner's directory back, so that the temporary one can be removed.
  vxtest::CurrentDirectoryScope scope{dir.path()};
};

TEST_F(CurrentDirectoryTest, FailedChangeSetsPathNotFoundAndKeepsTheDirectory) {
  const struct {
    const char* what;
    Text path;
  } cases[] = {
      {"missing directory", dir / u"no such directory"},
      {"missing directory below a missing one", dir / u"none\\deeper"},
      {"a file, not a directory", dir / u"plain file.txt"},
      {"empty text", u""},
      {"blank text", u"      "},
      {"missing relative directory", u"no-such-sibling"},
  };
  const Text start = dir / u"start";
  for (const auto& c : cases) {
    rt::ChangeDirectory(start);
    ASSERT_EQ(rt::ERRORCODE(), 0) << c.what << ": the good change before did not clear the error";
    rt::ChangeDirectory(c.path);
    EXPECT_EQ(rt::ERRORCODE(), 3) << c.what;
    EXPECT_EQ(rt::ERROR(), u"Path Not Found") << c.what << ": ERROR gave \"" << Utf8(rt::ERROR()) << "\"";
    EXPECT_TRUE(rt::TextIsTrue(rt::ERROR())) << c.what;
    EXPECT_EQ(vxtest::PlatformCurrentDirectory(), start) << c.what << ": the current directory moved";

    rt::ChangeDirectory(dir / u"good");
    EXPECT_EQ(rt::ERRORCODE(), 0) << c.what << ": the next good change did not clear the error";
    EXPECT_EQ(rt::ERROR(), u"") << c.what;
    EXPECT_FALSE(rt::TextIsTrue(rt::ERROR())) << c.what;
  }
}

TEST_F(CurrentDirectoryTest, SuccessfulChangesMoveTheDirectory) {
  const Text good = dir / u"good";
  const struct {
    const char* what;
    Text path;
    Text expected;
  } cases[] = {
      {"full path", good, good},
      {"full path with trailing backslash", good + u"\\", good},
      {"full path followed by blanks", good + u"     ", good},
      {"relative path", u"..\\start", dir / u"start"},
      {"the directory that holds the test", vxtest::ExecutableDirectory(),
       WithoutSeparator(vxtest::ExecutableDirectory())},
      {"drive root", u"C:\\", u"C:\\"},
  };
  for (const auto& c : cases) {
    rt::SetErrorState(rt::kPathNotFound);
    rt::ChangeDirectory(c.path);
    EXPECT_EQ(rt::ERRORCODE(), 0) << c.what << ": " << Utf8(c.path);
    const Text now = vxtest::PlatformCurrentDirectory();
    EXPECT_EQ(now, c.expected) << c.what << ": now in " << Utf8(now);
  }
}

TEST_F(CurrentDirectoryTest, GivesLongNamesAndClearsTheError) {
  const Text longDir = dir / u"Long Directory Name.With Dots";
  const Text innerDir = longDir + u"\\Второй длинный каталог";
  ASSERT_TRUE(vxtest::MakeDirectory(longDir));
  ASSERT_TRUE(vxtest::MakeDirectory(innerDir));

  // Wine makes up 8.3 names for long ones as Windows does; a volume without short names
  // gives the long form back, and then only the long way in is tested.
  std::vector<Text> ways = {innerDir};
  const Text shortInner = ShortName(innerDir);
  if (!shortInner.empty() && shortInner != innerDir) ways.push_back(shortInner);
  const Text shortOuter = ShortName(longDir);
  if (!shortOuter.empty() && shortOuter != longDir) ways.push_back(shortOuter + u"\\Второй длинный каталог");

  for (const Text& way : ways) {
    ASSERT_TRUE(SetCurrentDirectoryW(rt::Wide(way))) << "cannot enter " << Utf8(way);
    rt::SetErrorState(rt::kPathNotFound);
    const Text got = rt::CurrentDirectory();
    EXPECT_EQ(got, innerDir) << "entered as " << Utf8(way) << ", got " << Utf8(got);
    EXPECT_EQ(rt::ERRORCODE(), 0) << "entered as " << Utf8(way);
    EXPECT_EQ(rt::ERROR(), u"");
  }
}

TEST_F(CurrentDirectoryTest, DriveRootIsGivenWithItsBackslash) {
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  EXPECT_EQ(rt::CurrentDirectory(), u"C:\\");
}

}  // namespace
