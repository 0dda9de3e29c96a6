#include "convert/batch/batch_conversion.h"

#include <memory>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "app/globals.h"
#include "convert/batch/batch_turns.h"
#include "convert/batch/batch_work.h"
#include "convert/batch/hidden_conversion.h"
#include "convert/convert_handler.h"
#include "convert/journal/conversion_journal.h"
#include "convert/journal/journal_file.h"
#include "convert/journal/new_files_handler.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/rules/batch_report.h"
#include "convert/rules/conversion_messages.h"
#include "convert/worker_ahead.h"
#include "runtime/dialogs/progress_window.h"
#include "runtime/dialogs/report_window.h"
#include "runtime/process/process_watch.h"
#include "runtime/text/number_text.h"
#include "runtime/window/dialog_services.h"
#include "ui/main_window_definition.h"

namespace convert {
namespace {

constexpr rt::ReportColumn kColumns[] = {{kColumnInput, 250}, {kColumnOutput, 70}, {kColumnResult, 320}};
constexpr rt::ReportDefinition kReport{kReportTitle, kCopy, kClose, kColumns};

struct Batch : BatchWork {
  std::thread worker;
  rt::ProgressWindow* progress = nullptr;
  std::vector<rt::Text> folders;  // whose turns it takes
  NewFilesOf newFiles;            // when they are the files
  rt::Text journalFolder;         // where they are looked for again, as it was at the start
  rt::Text waitingFor;            // under the lock: the folder another run holds, while waited for
  rt::Text problem;               // nothing converted, and why
};

Batch* g_batch = nullptr;

void Report(const Batch& batch) {
  rt::ReportContent content;
  content.summary = SummaryLine(CountResults(batch.reports));
  for (const FileReport& file : batch.reports) {
    content.rows.push_back({file.inputName, file.outputName, ResultWords(file)});
    content.statuses.push_back(StatusOf(JournalResultOf(file.result)));
    content.details.push_back(DetailsText(file, kCaptureLimit));
  }
  content.table = ReportTable(batch.reports);
  rt::ShowReport(kReport, content);
}

// «Новые файлы» once the folder's turn is had: what the run that held it converted is in the
// journal now, and no longer new. Why they cannot be looked at, or nothing.
rt::Text KeepStillNew(Batch& batch) {
  const NewFilesFound found = FindNewFiles(batch.newFiles.directory, batch.journalFolder);
  if (!found.problem.empty()) return found.problem;
  std::set<rt::Text> stillNew;
  for (const rt::Text& path : found.files) stillNew.insert(FoldedName(path));
  if (batch.newFiles.retryFailed) {
    for (const rt::Text& path : found.failed) stillNew.insert(FoldedName(path));
  }
  std::vector<BatchInput> kept;
  for (const BatchItem& item : batch.plan) {
    if (stillNew.contains(FoldedName(item.inputPath))) kept.push_back({item.inputPath, false});
  }
  std::lock_guard guard(batch.lock);
  PlanRows(batch, kept, false);
  return {};
}

// The worker: the folders' turns first, for as long as the batch lasts and released by the thread
// that took them; a stop while waiting leaves every file not converted.
void TakeTurnsAndWork(Batch& batch) {
  rt::FolderTurns turns;
  const rt::TurnTaking taking = turns.Take(batch.folders, rt::kNoTimeLimit, &batch.stop, [&batch](rt::TextView folder) {
    {
      std::lock_guard guard(batch.lock);
      batch.waitingFor = folder;
    }
    rt::PostTaskEnded(batch.window);
  });
  {
    std::lock_guard guard(batch.lock);
    batch.waitingFor.clear();
  }
  if (taking.outcome == rt::TurnOutcome::kUnavailable) {
    batch.problem = TurnNotTakenMessage(taking);
  } else if (taking.outcome == rt::TurnOutcome::kTaken && !batch.newFiles.directory.empty()) {
    batch.problem = KeepStillNew(batch);
  }
  // None left: nothing to start a processor or a worker for.
  if (batch.problem.empty() && !batch.plan.empty()) return Work(batch);
  {
    std::lock_guard guard(batch.lock);
    batch.finished = true;
  }
  rt::PostTaskEnded(batch.window);
}

// Waits for the worker (done, or stopping) and closes the progress window.
std::unique_ptr<Batch> EndBatch() {
  std::unique_ptr<Batch> ended(std::exchange(g_batch, nullptr));
  ended->worker.join();
  rt::CloseProgressWindow(ended->progress);
  return ended;
}

}  // namespace

bool BatchRunning() { return g_batch != nullptr; }

void StartBatch(std::span<const BatchInput> inputs, bool requireXml, const NewFilesOf& newFiles) {
  auto batch = std::make_unique<Batch>();
  PlanWork(*batch, inputs, requireXml);
  if (batch->program.empty()) batch->workerAhead = TakeWorkerStartedAhead();
  batch->folders = FoldersToConvert(*batch);
  if (!newFiles.directory.empty()) batch->folders.push_back(newFiles.directory);
  batch->newFiles = newFiles;
  batch->journalFolder = JournalFolder();
  batch->window = rt::WindowHandle();
  batch->progress = rt::OpenProgressWindow(kProgressTitle, kCancel, batch->stop);
  g_batch = batch.release();
  g_batch->worker = std::thread(TakeTurnsAndWork, std::ref(*g_batch));
  BatchMoved();
}

void BatchMoved() {
  Batch* batch = g_batch;
  if (!batch) return;
  std::size_t current = 0, done = 0, total = 0;
  bool finished = false;
  rt::Text name, waitingFor;
  {
    // The worker plans «Новые файлы» again once it has their folder's turn.
    std::lock_guard guard(batch->lock);
    current = batch->current;
    done = batch->done;
    finished = batch->finished;
    total = batch->toConvert.size();
    if (total > 0) name = batch->plan[batch->toConvert[std::max<std::size_t>(current, 1) - 1]].inputName;
    waitingFor = batch->waitingFor;
  }
  if (!finished) {
    const std::size_t shown = std::max<std::size_t>(current, 1);
    rt::Text counter = rt::Concat({kProgressFile, rt::DecimalText(shown), kProgressOf, rt::DecimalText(total)});
    if (!waitingFor.empty()) {
      counter = kWaitingForFolder;
      name = std::move(waitingFor);
    }
    rt::ShowProgress(batch->progress, counter, name, static_cast<rt::LONG>(done), static_cast<rt::LONG>(total));
    return;
  }
  const std::unique_ptr<Batch> ended = EndBatch();
  if (!ended->problem.empty()) {
    Warn(ended->problem, ended->newFiles.directory.empty() ? ui::control::BUTTONCONVERT : ui::control::BUTTONNEWFILES);
  } else if (!ended->newFiles.directory.empty() && ended->plan.empty()) {
    TellNoNewFiles();
  } else {
    Report(*ended);
    rt::SelectControl(ui::control::BUTTONCONVERT, 0, 0);
  }
  TellJournalProblem();
}

void StopBatchForClosing() {
  if (!g_batch) return;
  g_batch->stop.Set();
  // The processor, or the worker that transforms, is ended within moments: the batch ends
  // before the program does, and nothing of it outlives the program.
  EndBatch();
}

}  // namespace convert
