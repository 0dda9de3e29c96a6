// Appends 500 lines of the journal in its current directory through the program's own appender,
// as a copy of the program converting would. Leaves "held" beside it when the journal was held by
// another program, then waits for it to be let go. Exits with the system's error, 0 when written.
#include "convert/journal/rules/journal_line.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/line_appender.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/number_text.h"

int main() {
  const rt::Text path = rt::FullPath(convert::kJournalFileName);
  const rt::Text waiting = rt::FullPath(u"Vexilate-journal.waiting.csv");
  rt::LineAppender appender(convert::JournalStart());
  convert::JournalEntry entry;
  entry.time = entry.modified = u"2026-12-08 09:15:03";
  for (int line = 0; line < 500; ++line) {
    entry.inputPath = rt::Concat({u"C:\\IN\\", rt::DecimalText(GetCurrentProcessId()), u"-", rt::DecimalText(line)});
    const rt::AppendOutcome outcome = appender.Append(path, {{waiting}, {waiting}}, convert::JournalLine(entry), true);
    if (!outcome.written) CloseHandle(CreateFileW(L"held", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (outcome.lost()) return static_cast<int>(outcome.refused.back().error);
  }
  return static_cast<int>(appender.MoveWaiting(path, {waiting}, std::chrono::minutes{1}).error);
}
