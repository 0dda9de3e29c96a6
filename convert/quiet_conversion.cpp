#include "convert/quiet_conversion.h"

#include <algorithm>

#include "app/globals.h"
#include "convert/batch/batch_turns.h"
#include "convert/batch/batch_work.h"
#include "convert/given_files.h"
#include "convert/journal/conversion_journal.h"
#include "convert/journal/journal_file.h"
#include "convert/journal/new_files_handler.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/rules/conversion_messages.h"
#include "runtime/process/folder_turns.h"
#include "runtime/system/console_output.h"
#include "runtime/system/file_facts.h"

namespace convert {
namespace {

// Long enough for another copy of the program to finish its write; a spreadsheet that holds the
// journal longer makes the run one that could not be done.
constexpr std::chrono::milliseconds kJournalPatience{5000};

// The files to convert, or why the run cannot be done; with the folders whose turn it takes.
struct QuietInputs {
  std::vector<BatchInput> inputs;
  std::vector<rt::Text> folders;
  rt::Text problem;
};

QuietInputs GivenInputs(const RunRequest& request, rt::ConsoleOutput& console) {
  QuietInputs quiet;
  for (BatchInput& input : GatherGivenFiles(request.paths).inputs) {
    if (input.missing) return {{}, {}, rt::Concat({kRunNoSuchPath, input.path})};
    // A folder with nothing to convert is like a day without new files.
    if (input.withoutXmlFiles) {
      console.WriteLine(rt::Concat({kNoXmlFilesIn, u" ", input.path}));
      continue;
    }
    quiet.folders.push_back(FolderOfFile(input.path));
    quiet.inputs.push_back(std::move(input));
  }
  if (request.newFiles) {
    quiet.folders.push_back(NewFilesDirectory());
  }
  return quiet;
}

}  // namespace

int RunQuietly(const RunRequest& request) {
  rt::ConsoleOutput console;
  const auto notDone = [&console](rt::TextView why) {
    console.WriteLine(why);
    return kRunNotDone;
  };
  if (!request.wrong.empty()) return notDone(rt::Concat({kRunWrongSwitch, request.wrong}));
  if (!request.newFiles && request.paths.empty()) return notDone(kRunNothingAsked);
  if (request.newFiles && !rt::TextIsTrue(rt::CLIP(app::PATHIN))) return notDone(kRunNoInputDirectory);
  if (!rt::TextIsTrue(rt::CLIP(app::PATHOUT))) return notDone(kRunNoOutputDirectory);
  if (const rt::Text output = rt::FullPath(rt::CLIP(app::PATHOUT)); !rt::IsDirectory(output)) {
    return notDone(rt::Concat({kRunOutputDirectoryMissing, output}));
  }
  QuietInputs quiet = GivenInputs(request, console);
  if (!quiet.problem.empty()) return notDone(quiet.problem);
  if (const rt::Text problem = JournalNotWritable(); !problem.empty()) return notDone(problem);
  // Without it every file would fail; where it was looked for tells where to put it.
  if (!rt::IsFile(kStylesheet)) {
    rt::Text lookedFor = rt::FullPath(kStylesheet);
    const rt::Text program = rt::ExecutablePath();
    const rt::Text beside = rt::Concat({rt::TextView(program).substr(0, program.find_last_of(u'\\') + 1), kStylesheet});
    if (FoldedName(lookedFor) != FoldedName(beside)) lookedFor += rt::Concat({u", ", beside});
    return notDone(rt::Concat({kRunNoStylesheet, lookedFor}));
  }
  MoveWaitingJournalLines();

  // Another run for the same folders finishes first: its files are then in the journal, not new.
  const unsigned timeoutMs = request.timeoutSeconds * 1000;
  rt::FolderTurns turns;
  if (const rt::TurnTaking taking = turns.Take(quiet.folders, timeoutMs); taking.outcome != rt::TurnOutcome::kTaken) {
    return notDone(OneLine(TurnNotTakenMessage(taking)));
  }
  // Files that failed of their own, unchanged since: named last, not tried again unless asked.
  std::vector<rt::Text> failedLeft;
  if (request.newFiles) {
    NewFilesFound found = FindNewFiles(NewFilesDirectory(), JournalFolder());
    if (!found.problem.empty()) return notDone(OneLine(found.problem));
    for (const rt::Text& note : found.notes) console.WriteLine(note);
    if (found.files.empty()) console.WriteLine(kNoNewFiles);
    for (const rt::Text& path : found.files) quiet.inputs.push_back({path, false});
    if (request.retry) {
      for (const rt::Text& path : found.failed) quiet.inputs.push_back({path, false});
    } else {
      failedLeft = std::move(found.failed);
      // One also named on the command line is converted now.
      std::erase_if(failedLeft, [&quiet](const rt::Text& path) {
        return std::ranges::any_of(quiet.inputs, [&path](const BatchInput& input) {
          return !input.isDirectory && FoldedName(input.path) == FoldedName(path);
        });
      });
    }
  }

  BatchWork work;
  PlanWork(work, WithoutRepeats(std::move(quiet.inputs)), true);
  work.fileTimeoutMs = timeoutMs;
  work.rowEnded = [&console](const FileReport& row) { console.WriteLine(RunLine(row)); };
  Work(work);
  if (!work.reports.empty()) console.WriteLine(SummaryLine(CountResults(work.reports)));
  const QuietJournalEnd journal = FinishJournalQuietly(kJournalPatience);
  if (!journal.notices.empty()) console.WriteLine(journal.notices);
  // Lines no place took are told; the exit code still says what was converted.
  if (!journal.lost.empty()) console.WriteLine(journal.lost);
  if (!failedLeft.empty()) {
    for (const rt::Text& line : FailedLeftLines(failedLeft)) console.WriteLine(line);
  }
  return work.notPrepared ? kRunNotDone : RunExitCode(work.reports, failedLeft.size());
}

}  // namespace convert
