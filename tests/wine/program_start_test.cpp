// The real executable starts and, once its window is closed (if it shows one), ends with exit
// code 0 without having written anything to disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/system/win32_api.h"
#include "tests/wine/run_program.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using vxtest::Utf8;

std::vector<Text> Listing(const Text& directory) {
  std::vector<Text> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(rt::Wide(directory + u"*"), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const Text name = rt::FromWide(found.cFileName);
    if (name != u"." && name != u"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

TEST(ProgramStart, StartsAndEndsWithExitCode0WithoutASettingsFile) {
  const Text built = vxtest::WinePathOf(VEXILATE_EXE);
  ASSERT_TRUE(vxtest::FileExists(built)) << "the built program is not at " << Utf8(built);
  vxtest::TempDirectory home;
  vxtest::TempDirectory elsewhere;
  const Text exe = home / u"vexilate.exe";
  ASSERT_TRUE(vxtest::CopyFileTo(built, exe)) << "cannot copy " << Utf8(built) << " to " << Utf8(exe);

  const vxtest::ProgramRun run = vxtest::RunProgram(exe, elsewhere.path(), 20000, vxtest::ProgramWindows::kClose);
  ASSERT_TRUE(run.started) << "cannot start " << Utf8(exe) << ", error " << run.startError;
  ASSERT_TRUE(run.finished) << "the program did not end within 20 s (" << run.windowsClosed
                            << " windows asked to close) and was killed";
  RecordProperty("windows_closed", run.windowsClosed);
  EXPECT_EQ(run.exitCode, 0u) << "after " << run.windowsClosed << " windows were asked to close";
  EXPECT_FALSE(vxtest::FileExists(home / u"Vexilate.INI")) << "a settings file appeared beside the program";
  EXPECT_FALSE(vxtest::FileExists(elsewhere / u"Vexilate.INI")) << "a settings file appeared in the current directory";
  EXPECT_EQ(Listing(home.path()), std::vector<Text>{u"vexilate.exe"}) << "the program left files beside itself";
  EXPECT_TRUE(Listing(elsewhere.path()).empty()) << "the program left files in the current directory";
}

}  // namespace
