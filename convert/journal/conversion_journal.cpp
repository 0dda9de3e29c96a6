#include "convert/journal/conversion_journal.h"

#include <mutex>
#include <optional>

#include "convert/batch/batch_conversion.h"
#include "convert/journal/journal_file.h"
#include "convert/rules/conversion_messages.h"
#include "runtime/process/process_watch.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/line_appender.h"
#include "runtime/system/system_error.h"
#include "runtime/window/dialog_services.h"
#include "ui/main_window_definition.h"

namespace convert {
namespace {

// Long enough for another copy of the program to finish its write; a spreadsheet that holds the
// journal is told instead.
constexpr std::chrono::milliseconds kPatienceAtClose{1000};

struct Problem {
  rt::Text path;
  std::uint32_t error = 0;
};

std::mutex g_lock;
std::optional<Problem> g_problem;  // the first, guarded by g_lock
bool g_told = false;               // the window's thread only

rt::LineAppender& Appender() {
  static rt::LineAppender appender(JournalStart());
  return appender;
}

// True when it is the first.
bool Remember(rt::TextView path, std::uint32_t error) {
  const std::lock_guard guard(g_lock);
  if (g_problem) return false;
  g_problem = Problem{rt::Text(path), error};
  return true;
}

rt::Text ProblemText(const Problem& problem) {
  return rt::Concat({kJournalNotWritten, problem.path, u": ", rt::SystemErrorText(problem.error)});
}

}  // namespace

rt::Text JournalNotWritable() {
  const rt::Text path = JournalPath();
  const std::uint32_t error = Appender().Ready(path);
  return error == 0 ? rt::Text() : ProblemText({path, error});
}

rt::Text FinishJournalQuietly(std::chrono::milliseconds patience) {
  const rt::Text path = JournalPath();
  const rt::AppendOutcome outcome = Appender().Flush(path, patience);
  if (outcome.error != 0) Remember(path, outcome.error);
  const std::lock_guard guard(g_lock);
  return g_problem ? ProblemText(*g_problem) : rt::Text();
}

JournalEntry JournalEntryFor(rt::TextView inputPath, JournalMethod method) {
  JournalEntry entry;
  entry.inputPath = rt::Text(inputPath);
  entry.method = method;
  if (const std::optional<rt::FileFacts> facts = rt::FactsOf(inputPath)) {
    entry.size = facts->size;
    entry.modified = JournalFileTime(facts->lastWriteTime);
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
  const rt::AppendOutcome outcome = Appender().Append(path, lines);
  if (outcome.error != 0 && !outcome.held && Remember(path, outcome.error)) rt::PostTaskEnded(window);
}

void TellJournalProblem() {
  // The progress window is the program's own: the batch's report comes first.
  if (g_told || BatchRunning()) return;
  std::optional<Problem> problem;
  {
    const std::lock_guard guard(g_lock);
    problem = g_problem;
  }
  if (!problem) return;
  g_told = true;
  rt::ShowMessage(rt::Concat({kJournalNotWritten, problem->path, u"|", rt::SystemErrorText(problem->error)}),
                  kMessageCaption, rt::kWarningIcon, u"", 0, 1);
  rt::SelectControl(ui::control::BUTTONCONVERT, 0, 0);
}

void WriteJournalAtClose() {
  const rt::Text path = JournalPath();
  const rt::AppendOutcome outcome = Appender().Flush(path, kPatienceAtClose);
  // Lines still held now would be lost.
  if (outcome.error != 0) Remember(path, outcome.error);
  TellJournalProblem();
  // The user may have let go of it before answering.
  if (outcome.held) Appender().Flush(path, std::chrono::milliseconds{0});
}

}  // namespace convert
