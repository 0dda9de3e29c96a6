#include "convert/journal/conversion_journal.h"

#include <mutex>
#include <optional>

#include "convert/batch/batch_conversion.h"
#include "convert/journal/journal_file.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/rules/conversion_messages.h"
#include "runtime/process/process_watch.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/file_part.h"
#include "runtime/system/line_appender.h"
#include "runtime/system/system_error.h"
#include "runtime/system/user_files.h"
#include "runtime/window/dialog_services.h"
#include "ui/main_window_definition.h"

namespace convert {
namespace {

// A header is far shorter: more read of a journal is no header of the program's own.
constexpr std::size_t kHeaderPart = 4096;

struct Problem {
  rt::Text path;
  std::uint32_t error = 0;
  bool lost = false;  // the lines could not wait beside it either
};

std::mutex g_lock;
std::optional<Problem> g_problem;  // the first, guarded by g_lock
rt::Text g_keptAs;                 // where a journal in another form was kept, guarded by g_lock
bool g_waiting = false;            // a line of the run waits beside the journal, guarded by g_lock
bool g_told = false;               // the window's thread only

rt::LineAppender& Appender() {
  static rt::LineAppender appender(JournalStart());
  return appender;
}

// True when it is the first.
bool Remember(rt::TextView path, std::uint32_t error, bool lost) {
  const std::lock_guard guard(g_lock);
  if (g_problem && (g_problem->lost || !lost)) return false;
  g_problem = Problem{rt::Text(path), error, lost};
  return true;
}

rt::Text ProblemText(const Problem& problem) {
  return rt::Concat({kJournalNotWritten, problem.path, u": ", rt::SystemErrorText(problem.error)});
}

// Whether lines of the program's form may be appended to the journal: it is missing, empty, or
// in that form. One in another form (a spreadsheet saved it) is kept under another name, and a new
// one begins; true when it was. While it cannot be moved (it is held), false.
bool JournalTakesOurLines(const rt::Text& path, bool& kept) {
  std::string start;
  std::uint64_t size = 0;
  const std::uint32_t error = rt::ReadFilePart(path, 0, kHeaderPart, start, size);
  if (error != 0 || start.empty()) return true;  // missing, or held: the appender finds out which
  const std::size_t end = start.find('\n');
  const std::optional<JournalForm> form =
      end == std::string::npos ? std::nullopt : JournalFormOf(std::string_view(start).substr(0, end), ThisLocale());
  if (form && form->ours) return true;
  const rt::Text keptAs = KeptJournalPath(path, rt::FileTimeNow());
  if (!rt::RenameFile(path, keptAs)) return false;
  const std::lock_guard guard(g_lock);
  g_keptAs = keptAs;
  kept = true;
  return true;
}

// The lines waiting join the journal, waiting up to `patience` for a program that holds it; true
// when none wait any more.
bool MoveWaitingLines(std::chrono::milliseconds patience) {
  // A journal in another form is kept aside only when a line is to be added to it.
  const rt::Text path = JournalPath(), waiting = WaitingPathOf(path);
  if (!rt::IsFile(waiting)) return true;
  bool kept = false;
  return JournalTakesOurLines(path, kept) && Appender().MoveWaiting(path, waiting, patience) == 0;
}

}  // namespace

rt::Text JournalNotWritable() {
  const rt::Text path = JournalPath();
  const std::uint32_t error = Appender().Ready(path);
  return error == 0 ? rt::Text() : ProblemText({path, error});
}

JournalEntry JournalEntryFor(rt::TextView inputPath, JournalMethod method) {
  JournalEntry entry;
  entry.inputPath = rt::Text(inputPath);
  entry.method = method;
  if (const std::optional<rt::FileFacts> facts = rt::FactsOf(inputPath)) {
    entry.size = facts->size;
    entry.modified = JournalFileTime(facts->lastWriteTime);
    entry.modifiedUtc = JournalUtcTime(facts->lastWriteTime);
  }
  return entry;
}

void Journal(rt::TextView path, std::span<JournalEntry> entries, rt::HandleValue window) {
  if (entries.empty()) return;
  const rt::Text now = JournalFileTime(rt::FileTimeNow());
  std::string lines;
  for (JournalEntry& entry : entries) {
    entry.time = now;
    lines += JournalLine(entry);
  }
  const rt::Text journal(path);
  bool kept = false;
  const bool writable = JournalTakesOurLines(journal, kept);
  const rt::AppendOutcome outcome = Appender().Append(journal, WaitingPathOf(journal), lines, writable);
  if (outcome.waiting) {
    const std::lock_guard guard(g_lock);
    g_waiting = true;
  }
  // A journal held by another program is let go in time; one refused otherwise is told, once.
  const bool told = outcome.error != 0 && (!outcome.held || !outcome.waiting) &&
                    Remember(path, outcome.waiting ? outcome.error : outcome.waitingError, !outcome.waiting);
  if (told || kept) rt::PostTaskEnded(window);
}

void MoveWaitingJournalLines() { MoveWaitingLines({}); }

void TellJournalProblem() {
  // The progress window is the program's own: the batch's report comes first.
  if (g_told || BatchRunning()) return;
  std::optional<Problem> problem;
  rt::Text keptAs;
  {
    const std::lock_guard guard(g_lock);
    problem = g_problem;
    keptAs.swap(g_keptAs);
  }
  if (!keptAs.empty()) {
    rt::ShowMessage(JournalKeptMessage(keptAs, JournalPath()), kMessageCaption, rt::kInformationIcon, u"", 0, 1);
  }
  if (problem) {
    g_told = true;
    rt::ShowMessage(rt::Concat({kJournalNotWritten, problem->path, u"|", rt::SystemErrorText(problem->error)}),
                    kMessageCaption, rt::kWarningIcon, u"", 0, 1);
  }
  if (problem || !keptAs.empty()) rt::SelectControl(ui::control::BUTTONCONVERT, 0, 0);
}

QuietJournalEnd FinishJournalQuietly(std::chrono::milliseconds patience) {
  const rt::Text path = JournalPath();
  const bool moved = MoveWaitingLines(patience);
  QuietJournalEnd end;
  const std::lock_guard guard(g_lock);
  if (g_problem && g_problem->lost) end.lost = ProblemText(*g_problem);
  if (!g_keptAs.empty()) end.notices = OneLine(JournalKeptMessage(g_keptAs, path));
  if (g_waiting && !moved) {
    if (!end.notices.empty()) end.notices += u"\n";
    end.notices += rt::Concat({kJournalLinesWait, JournalWaitingPath()});
  }
  return end;
}

void WriteJournalAtClose() {
  MoveWaitingJournalLines();
  TellJournalProblem();
}

}  // namespace convert
