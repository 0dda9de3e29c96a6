// The journal appended to by two copies of the program at once, after a line cut short, and
// while another program holds it.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "convert/journal/rules/journal_line.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/number_text.h"
#include "tests/driver/window_driver.h"
#include "tests/wine/run_program.h"
#include "tests/wine/test_paths.h"

namespace {

void RunWriter(const vxtest::TempDirectory& dir) {
  EXPECT_EQ(vxtest::RunProgram(vxtest::WinePathOf(JOURNAL_WRITER_EXE), dir.path(), 120'000).exitCode, 0u);
}

// One header, and each writer's 500 lines whole and in its order: "C:\IN\<process>-<n>".
void ExpectWholeLines(const std::string& journal, std::size_t writers) {
  std::map<rt::Text, int> next;
  for (const convert::JournalEntry& entry : convert::ReadJournal(journal)) {
    const std::size_t dash = entry.inputPath.find(u'-');
    EXPECT_EQ(entry.inputPath.substr(dash + 1), rt::DecimalText(next[entry.inputPath.substr(0, dash)]++));
  }
  EXPECT_EQ(next.size(), writers);
  for (const auto& [writer, lines] : next) EXPECT_EQ(lines, 500) << vxtest::Utf8(writer);
  EXPECT_TRUE(journal.starts_with(convert::JournalStart()));
  EXPECT_EQ(journal.find(convert::JournalStart(), 1), std::string::npos);
}

TEST(JournalAppend, TwoCopiesAtOnceLoseAndMixNothing) {
  vxtest::TempDirectory dir;
  std::thread other(RunWriter, std::cref(dir));
  RunWriter(dir);
  other.join();
  ExpectWholeLines(vxtest::ReadBytes(dir / convert::kJournalFileName).value_or(""), 2);
}

// A line cut short stays as it is and the next starts on its own line; a journal held without
// sharing gets its lines once it is let go.
TEST(JournalAppend, AfterALineCutShortAndOnceLetGo) {
  vxtest::TempDirectory dir;
  const rt::Text journal = dir / convert::kJournalFileName;
  const std::string cut = convert::JournalStart() + "2026-12-08 09:15:03;C:\\IN\\cut";
  ASSERT_TRUE(vxtest::WriteBytes(journal, cut));
  HANDLE holder = CreateFileW(rt::Wide(journal), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  std::thread writer(RunWriter, std::cref(dir));
  driver::WaitUntil([&] { return vxtest::FileExists(dir / u"held"); }, L"the writer finding the journal held", 0);
  CloseHandle(holder);
  writer.join();
  const std::string bytes = vxtest::ReadBytes(journal).value_or("");
  EXPECT_TRUE(bytes.starts_with(cut + "\r\n2026-12-08 09:15:03;C:\\IN\\")) << bytes.substr(0, 200);
  ExpectWholeLines(bytes, 1);
}

}  // namespace
