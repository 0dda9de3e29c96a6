#include "convert/journal/conversion_journal.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "convert/batch/batch_conversion.h"
#include "convert/journal/journal_file.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/rules/batch_plan.h"
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
  std::vector<rt::Refusal> refused;  // each file that did not take the lines, the journal's first
  bool lost = false;                 // no waiting place took them either
};

// Lines of the run that wait: why, and where.
struct Waiting {
  std::vector<rt::Refusal> refused;
  rt::Text in;
};

std::mutex g_lock;
std::optional<Problem> g_problem;  // the first, guarded by g_lock
rt::Text g_keptAs;                 // where a journal in another form was kept, guarded by g_lock
std::optional<Waiting> g_waiting;  // the latest lines of the run that wait, guarded by g_lock
bool g_told = false;               // the window's thread only

rt::LineAppender& Appender() {
  static rt::LineAppender appender(JournalStart());
  return appender;
}

// True when it is the first.
bool Remember(std::vector<rt::Refusal> refused, bool lost) {
  const std::lock_guard guard(g_lock);
  if (refused.empty() || (g_problem && (g_problem->lost || !lost))) return false;
  g_problem = Problem{std::move(refused), lost};
  return true;
}

// Why a file did not take the lines: held, in another form, or the system's reason.
rt::Text WhyRefused(const rt::Refusal& refusal) {
  if (rt::HeldError(refusal.error)) return rt::Text(kJournalFileHeld);
  if (refusal.error == rt::kOtherForm) return rt::Text(kJournalFileOtherForm);
  return rt::SystemErrorText(refusal.error);
}

// "<kJournalNotWritten><path>: <why>", and each other file that refused after it.
rt::Text ProblemText(const Problem& problem, rt::TextView between = u": ") {
  rt::Text text;
  for (const rt::Refusal& refusal : problem.refused) {
    text += rt::Concat({text.empty() ? rt::TextView(kJournalNotWritten) : rt::TextView(u"; "), refusal.path, between,
                        WhyRefused(refusal)});
  }
  return text;
}

// Lines that wait: which file did not take them and why, and where they wait.
rt::Text WaitingText(const Waiting& waiting, rt::TextView journal) {
  rt::Text why;
  for (const rt::Refusal& refusal : waiting.refused) {
    if (!why.empty()) why += u"; ";
    why += FoldedName(refusal.path) == FoldedName(journal) && rt::HeldError(refusal.error)
               ? rt::Text(kJournalHeld)
               : rt::Concat({kJournalFile, refusal.path, u" ", WhyRefused(refusal)});
  }
  return rt::Concat({why, kJournalLinesWaitIn, waiting.in});
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

// A waiting file a spreadsheet saved in another form is kept aside as such a journal is, beside
// the journal, so that its lines are read in their form and never moved as they stand.
void KeepWaitingOfOtherForm(const rt::Text& journal, const std::vector<rt::Text>& holding) {
  for (const rt::Text& waiting : holding) {
    std::string start;
    std::uint64_t size = 0;
    if (rt::ReadFilePart(waiting, 0, kHeaderPart, start, size) != 0 || start.empty()) continue;
    if (start.starts_with(JournalStart())) continue;
    const rt::Text keptAs = KeptJournalPath(journal, rt::FileTimeNow());
    if (!rt::RenameFile(waiting, keptAs)) continue;  // held: its lines wait in other places meanwhile
    const std::lock_guard guard(g_lock);
    g_keptAs = keptAs;
  }
}

// The lines waiting join the journal, waiting up to `patience` for a program that holds it; true
// when none wait any more.
bool MoveWaitingLines(std::chrono::milliseconds patience) {
  // A journal in another form is kept aside only when a line is to be added to it.
  const rt::Text path = JournalPath();
  rt::WaitingPlaces waiting = WaitingPlacesOf(path);
  std::erase_if(waiting.holding, [](const rt::Text& file) { return !rt::IsFile(file); });
  if (waiting.holding.empty()) return true;
  KeepWaitingOfOtherForm(path, waiting.holding);
  bool kept = false;
  return JournalTakesOurLines(path, kept) && Appender().MoveWaiting(path, waiting.holding, patience).error == 0;
}

}  // namespace

rt::Text JournalNotWritable() {
  const rt::Text path = JournalPath();
  const std::uint32_t error = Appender().Ready(path);
  return error == 0 ? rt::Text() : ProblemText({{{path, error}}, false});
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
  const rt::WaitingPlaces waiting = WaitingPlacesOf(journal);
  KeepWaitingOfOtherForm(journal, waiting.holding);
  bool kept = false;
  const bool writable = JournalTakesOurLines(journal, kept);
  const rt::AppendOutcome outcome = Appender().Append(journal, waiting, lines, writable);
  if (!outcome.waitingIn.empty()) {
    const std::lock_guard guard(g_lock);
    g_waiting = Waiting{outcome.refused, outcome.waitingIn};
  }
  // A file held by another program is let go in time; one refused otherwise is told, once, as
  // lines that could not be written anywhere are.
  const bool refusedOtherwise = std::any_of(outcome.refused.begin(), outcome.refused.end(), [](const rt::Refusal& r) {
    return !rt::HeldError(r.error) && r.error != rt::kOtherForm;
  });
  const bool told = (outcome.lost() || refusedOtherwise) && Remember(outcome.refused, outcome.lost());
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
    rt::ShowMessage(ProblemText(*problem, u"|"), kMessageCaption, rt::kWarningIcon, u"", 0, 1);
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
    end.notices += WaitingText(*g_waiting, path);
  }
  return end;
}

void WriteJournalAtClose() {
  MoveWaitingJournalLines();
  TellJournalProblem();
}

}  // namespace convert
