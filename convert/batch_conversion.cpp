#include "convert/batch_conversion.h"

#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "app/globals.h"
#include "convert/conversion_journal.h"
#include "convert/hidden_conversion.h"
#include "convert/result_placement.h"
#include "convert/rules/batch_report.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/journal_results.h"
#include "convert/rules/launch_parameters.h"
#include "convert/worker_ahead.h"
#include "runtime/dialogs/progress_window.h"
#include "runtime/dialogs/report_window.h"
#include "runtime/process/hidden_process.h"
#include "runtime/process/process_watch.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/output_in_place.h"
#include "runtime/text/number_text.h"
#include "runtime/window/dialog_services.h"
#include "transform/transform_worker.h"
#include "ui/main_window_definition.h"

namespace convert {
namespace {

constexpr rt::ReportColumn kColumns[] = {{kColumnInput, 250}, {kColumnOutput, 70}, {kColumnResult, 320}};
constexpr rt::ReportDefinition kReport{kReportTitle, kCopy, kClose, kColumns};

struct Batch {
  std::vector<BatchItem> plan;
  std::vector<FileReport> reports;     // a row per planned file
  std::vector<std::size_t> toConvert;  // indexes into the plan
  std::vector<rt::Text> outputPaths;   // full, by plan index
  rt::Text program;                    // the processor, found when the batch starts
  rt::Text stylesheetPath;             // for the built-in conversion when there is none
  rt::WorkerProcess workerAhead;       // its worker, when one was started ahead
  rt::Text outputDirectory;            // as it was when the batch started
  rt::Text workDirectory;
  rt::Text journalPath;  // as it was when the batch started
  rt::HandleValue window = 0;

  rt::StopSignal stop;      // Cancel, or "Yes" at close
  std::mutex lock;          // guards the fields below and the reports
  std::size_t current = 0;  // files started so far
  std::size_t done = 0;
  bool finished = false;

  std::thread worker;
  rt::ProgressWindow* progress = nullptr;
};

Batch* g_batch = nullptr;

// The batch's files through the built-in transformation, in a worker that is stopped as the
// processor is, with the stylesheet compiled once. The next file is always asked for before the
// last one is put in place, so that the worker never waits for the program.
class BuiltInFiles {
 public:
  explicit BuiltInFiles(Batch& batch) : batch_(batch) {
    worker_.emplace(batch.stop, rt::ExecutablePath(), std::move(batch.workerAhead));
    compiled_ = worker_->Compile(batch.stylesheetPath);
  }
  // The worker ends first; then what it was asked to write and nobody took goes.
  ~BuiltInFiles() {
    worker_.reset();
    for (std::size_t position = told_; position < written_.size(); ++position) rt::RemoveFile(written_[position]);
  }
  BuiltInFiles(const BuiltInFiles&) = delete;
  BuiltInFiles& operator=(const BuiltInFiles&) = delete;

  // The file at this position of the files to convert; positions come in order.
  FileReport Convert(std::size_t position) {
    const std::size_t index = batch_.toConvert[position];
    const BatchItem& item = batch_.plan[index];
    FileReport report{item.inputName, item.outputName, FileResult::Failed, compiled_.reason, {}};
    if (compiled_.stopped) report.result = FileResult::Stopped;
    if (!compiled_.succeeded) return report;
    while (written_.size() < std::min(position + 2, batch_.toConvert.size())) {
      const std::size_t asked = batch_.toConvert[written_.size()];
      written_.push_back(rt::UnusedNameBeside(batch_.outputPaths[asked]));
      worker_->Queue(batch_.plan[asked].inputPath, written_.back(), batch_.outputPaths[asked]);
    }
    const rt::TransformOutcome outcome = worker_->Next();
    told_ = position + 1;
    report.reason = outcome.reason;
    // A result that comes as the user stops is not put in place either: an earlier output stays.
    if (outcome.stopped || (outcome.succeeded && batch_.stop.IsSet())) {
      report.result = FileResult::Stopped;
    } else if (outcome.succeeded) {
      const Placement placement = PlaceResult(written_[position], batch_.outputPaths[index]);
      if (placement.placed) report.result = FileResult::Converted;
      report.reason = placement.reason;
      return report;
    }
    rt::RemoveFile(written_[position]);
    return report;
  }

 private:
  Batch& batch_;
  std::optional<rt::TransformWorker> worker_;
  rt::TransformOutcome compiled_;
  std::vector<rt::Text> written_;  // by position: where each file asked for is written
  std::size_t told_ = 0;           // positions whose outcome has been taken
};

// A row of the report as the journal keeps it; `entry` holds the input's facts.
JournalEntry RowEntry(const Batch& batch, std::size_t index, JournalEntry entry) {
  const FileReport& report = batch.reports[index];
  entry.outputPath = batch.outputPaths[index];
  entry.result = JournalResultOf(report.result);
  entry.reason = JournalReasonOf(report);
  return entry;
}

// The rows of the plan that are as they were planned: refused, or (after a stop) not converted.
void JournalRowsAsPlanned(const Batch& batch, FileResult result) {
  std::vector<JournalEntry> entries;
  for (std::size_t index = 0; index < batch.plan.size(); ++index) {
    if (batch.reports[index].result != result) continue;
    entries.push_back(
        RowEntry(batch, index, JournalEntryFor(batch.plan[index].inputPath, JournalMethodFor(batch.program))));
  }
  Journal(batch.journalPath, entries, batch.window);
}

void Work(Batch& batch) {
  JournalRowsAsPlanned(batch, FileResult::Refused);
  rt::RemoveLeftTemporaries(batch.outputDirectory);
  // Without the processor the program converts itself.
  std::optional<BuiltInFiles> builtIn;
  if (batch.program.empty()) builtIn.emplace(batch);
  const HiddenConversion hidden{batch.program, batch.workDirectory, &batch.stop};
  for (std::size_t position = 0; position < batch.toConvert.size(); ++position) {
    if (batch.stop.IsSet()) break;
    const std::size_t index = batch.toConvert[position];
    {
      std::lock_guard guard(batch.lock);
      ++batch.current;
    }
    rt::PostTaskEnded(batch.window);
    JournalEntry entry = JournalEntryFor(batch.plan[index].inputPath, JournalMethodFor(batch.program));
    FileReport report =
        builtIn ? builtIn->Convert(position) : ConvertHidden(hidden, batch.plan[index], batch.outputPaths[index]);
    {
      std::lock_guard guard(batch.lock);
      batch.reports[index] = std::move(report);
      ++batch.done;
    }
    entry = RowEntry(batch, index, std::move(entry));
    Journal(batch.journalPath, {&entry, 1}, batch.window);
  }
  builtIn.reset();
  JournalRowsAsPlanned(batch, FileResult::NotConverted);
  {
    std::lock_guard guard(batch.lock);
    batch.finished = true;
  }
  rt::PostTaskEnded(batch.window);
}

rt::RowStatus StatusOf(FileResult result) {
  switch (result) {
    case FileResult::Converted:
      return rt::RowStatus::Converted;
    case FileResult::Refused:
      return rt::RowStatus::Refused;
    case FileResult::Failed:
      return rt::RowStatus::Failed;
    case FileResult::NotConverted:
    case FileResult::Stopped:
      break;
  }
  return rt::RowStatus::NotConverted;
}

void Report(const Batch& batch) {
  rt::ReportContent content;
  content.summary = SummaryLine(CountResults(batch.reports));
  for (const FileReport& file : batch.reports) {
    content.rows.push_back({file.inputName, file.outputName, ResultWords(file)});
    content.statuses.push_back(StatusOf(file.result));
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
  batch->plan = PlanBatch(inputs, requireXml);
  batch->outputDirectory = rt::CLIP(app::PATHOUT);
  batch->workDirectory = rt::CLIP(app::GLO_PATH);
  batch->journalPath = JournalPath();
  batch->program = rt::FindProgram(kProcessorProgram);
  batch->stylesheetPath = rt::FullPath(kStylesheet);
  if (batch->program.empty()) batch->workerAhead = TakeWorkerStartedAhead();
  batch->window = rt::WindowHandle();
  batch->outputPaths.resize(batch->plan.size());
  for (std::size_t index = 0; index < batch->plan.size(); ++index) {
    const BatchItem& item = batch->plan[index];
    FileReport report{item.inputName, item.outputName, FileResult::NotConverted, {}, {}};
    if (item.accepted) {
      batch->toConvert.push_back(index);
      batch->outputPaths[index] = rt::FullPath(OutputPath(batch->outputDirectory, item.outputName));
    } else {
      report.result = FileResult::Refused;
      report.reason = item.refusal;
    }
    batch->reports.push_back(std::move(report));
  }
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
