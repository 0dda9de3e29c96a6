#include "convert/batch/batch_conversion.h"

#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "app/globals.h"
#include "convert/batch/batch_work.h"
#include "convert/batch/hidden_conversion.h"
#include "convert/journal/conversion_journal.h"
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

// Waits for the worker (done, or stopping) and closes the progress window.
std::unique_ptr<Batch> EndBatch() {
  std::unique_ptr<Batch> ended(std::exchange(g_batch, nullptr));
  ended->worker.join();
  rt::CloseProgressWindow(ended->progress);
  return ended;
}

}  // namespace

bool BatchRunning() { return g_batch != nullptr; }

void StartBatch(std::span<const BatchInput> inputs, bool requireXml) {
  auto batch = std::make_unique<Batch>();
  PlanWork(*batch, inputs, requireXml);
  if (batch->program.empty()) batch->workerAhead = TakeWorkerStartedAhead();
  batch->window = rt::WindowHandle();
  batch->progress = rt::OpenProgressWindow(kProgressTitle, kCancel, batch->stop);
  g_batch = batch.release();
  g_batch->worker = std::thread(Work, std::ref(*g_batch));
  BatchMoved();
}

void BatchMoved() {
  Batch* batch = g_batch;
  if (!batch) return;
  std::size_t current = 0, done = 0;
  bool finished = false;
  {
    std::lock_guard guard(batch->lock);
    current = batch->current;
    done = batch->done;
    finished = batch->finished;
  }
  const std::size_t total = batch->toConvert.size();
  if (!finished) {
    const std::size_t shown = std::max<std::size_t>(current, 1);
    const rt::Text name = total > 0 ? batch->plan[batch->toConvert[shown - 1]].inputName : rt::Text();
    rt::ShowProgress(batch->progress,
                     rt::Concat({kProgressFile, rt::DecimalText(shown), kProgressOf, rt::DecimalText(total)}), name,
                     static_cast<rt::LONG>(done), static_cast<rt::LONG>(total));
    return;
  }
  const std::unique_ptr<Batch> ended = EndBatch();
  Report(*ended);
  rt::SelectControl(ui::control::BUTTONCONVERT, 0, 0);
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
