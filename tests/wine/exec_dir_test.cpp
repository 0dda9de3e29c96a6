// Where the program finds itself: GETEXECDIR and the settings path, whatever the current
// directory, for executables in a drive root and in directories with dots and blanks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/text/text_value.h"
#include "tests/wine/run_program.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using vxtest::Utf8;

constexpr std::uint32_t kTimeLimitMs = 20000;
const Text kProbeName = u"exec_dir_probe.exe";

// The directory of a path, with its trailing backslash.
Text DirectoryOf(const Text& path) { return path.substr(0, path.find_last_of(u'\\') + 1); }

struct ProbeReport {
  Text execDir;
  Text settingsPath;
};

// Runs the probe and reads its two lines; an empty report when it did not run to its end.
ProbeReport RunProbe(const Text& exe, const Text& currentDirectory, std::string& problem) {
  const vxtest::ProgramRun run = vxtest::RunProgram(exe, currentDirectory, kTimeLimitMs);
  if (!run.started) {
    problem = "cannot start " + Utf8(exe) + ", error " + std::to_string(run.startError);
  } else if (!run.finished) {
    problem = Utf8(exe) + " did not end within 20 s and was killed";
  } else if (run.exitCode != 0) {
    problem = Utf8(exe) + " ended with exit code " + std::to_string(run.exitCode);
  }
  const auto firstEnd = run.output.find('\n');
  const auto secondEnd = firstEnd == std::string::npos ? firstEnd : run.output.find('\n', firstEnd + 1);
  if (problem.empty() && secondEnd == std::string::npos) problem = "unexpected output: \"" + run.output + "\"";
  if (!problem.empty()) return {};
  return {vxtest::FromUtf8(run.output.substr(0, firstEnd)),
          vxtest::FromUtf8(run.output.substr(firstEnd + 1, secondEnd - firstEnd - 1))};
}

// Files and directories made in the drive root, removed again whatever happens.
class RootLitter {
 public:
  ~RootLitter() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) vxtest::RemoveTree(*it);
  }
  void Add(const Text& path) { made_.push_back(path); }

 private:
  std::vector<Text> made_;
};

class ExecDir : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vxtest::FileExists(probe)) << "the probe is not where it was built: " << Utf8(probe);
  }
  const Text probe = vxtest::WinePathOf(EXEC_DIR_PROBE);
  vxtest::TempDirectory elsewhere;  // the current directory the copies are started from
};

TEST_F(ExecDir, ProbeWhereItWasBuilt) {
  std::string problem;
  const ProbeReport report = RunProbe(probe, elsewhere.path(), problem);
  ASSERT_EQ(problem, "");
  EXPECT_EQ(report.execDir, DirectoryOf(probe)) << "got " << Utf8(report.execDir);
  EXPECT_EQ(report.settingsPath, DirectoryOf(probe) + u"Vexilate.INI") << "got " << Utf8(report.settingsPath);
}

TEST_F(ExecDir, CopiesInTheDriveRootAndInDottedDirectories) {
  RootLitter litter;
  litter.Add(u"C:\\vx.test.dir");
  // A run that was killed half-way may have left its copies; they are this test's own.
  vxtest::RemoveTree(u"C:\\" + kProbeName);
  vxtest::RemoveTree(u"C:\\vx.test.dir");
  ASSERT_FALSE(vxtest::FileExists(u"C:\\" + kProbeName)) << "cannot remove C:\\" << Utf8(kProbeName);
  ASSERT_FALSE(vxtest::DirectoryExists(u"C:\\vx.test.dir")) << "cannot remove C:\\vx.test.dir";
  ASSERT_TRUE(vxtest::MakeDirectory(u"C:\\vx.test.dir"));

  // A directory whose path with the settings file's name passes the 256 characters that the
  // settings path keeps, while the executable's own path stays below 260.
  const Text longDir =
      u"C:\\vx.test.dir\\" + Text(100, u'l') + u"\\" + Text(100, u'm') + u"\\" + Text(32, u'n') + u"\\";
  const struct {
    const char* what;
    Text directory;
    Text exeName;
  } cases[] = {
      {"drive root", u"C:\\", kProbeName},
      {"directory with dots", u"C:\\vx.test.dir\\", kProbeName},
      {"below a directory with dots", u"C:\\vx.test.dir\\sub\\", kProbeName},
      {"directory with dots, blanks and Cyrillic", u"C:\\vx.test.dir\\Папка v1.2 с пробелами\\", kProbeName},
      {"directory path of 250 characters", longDir, u"p.exe"},
  };
  ASSERT_EQ(longDir.size(), 250u);
  for (const auto& c : cases) {
    if (c.directory == u"C:\\") {
      litter.Add(c.directory + c.exeName);
    } else {
      // Make every level below C:\vx.test.dir.
      for (std::size_t at = c.directory.find(u'\\', 15); at != Text::npos; at = c.directory.find(u'\\', at + 1)) {
        ASSERT_TRUE(vxtest::MakeDirectory(c.directory.substr(0, at))) << c.what;
      }
    }
    const Text copy = c.directory + c.exeName;
    ASSERT_TRUE(vxtest::CopyFileTo(probe, copy)) << c.what << ": cannot copy the probe to " << Utf8(copy);

    std::string problem;
    const ProbeReport report = RunProbe(copy, elsewhere.path(), problem);
    EXPECT_EQ(problem, "") << c.what;
    const Text expectedSettings = (c.directory + u"Vexilate.INI").substr(0, 256);
    EXPECT_EQ(report.execDir, c.directory) << c.what << ": GETEXECDIR gave " << Utf8(report.execDir);
    EXPECT_EQ(report.settingsPath, expectedSettings) << c.what << ": settings path " << Utf8(report.settingsPath);
    EXPECT_FALSE(vxtest::FileExists(c.directory + u"Vexilate.INI")) << c.what << ": start-up created the file";
  }
  EXPECT_FALSE(vxtest::FileExists(elsewhere / u"Vexilate.INI")) << "a settings file appeared in the current directory";
}

}  // namespace
