#include "convert/batch/batch_work.h"

#include <optional>
#include <utility>

#include "app/globals.h"
#include "convert/batch/hidden_conversion.h"
#include "convert/batch/result_placement.h"
#include "convert/journal/conversion_journal.h"
#include "convert/journal/journal_file.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/launch_parameters.h"
#include "runtime/process/hidden_process.h"
#include "runtime/process/process_watch.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/output_in_place.h"
#include "transform/transform_worker.h"
#include "transform/xslt/schema_check.h"

namespace convert {
namespace {

// The batch's files through the built-in transformation, in a worker that is stopped as the
// processor is, with the stylesheet compiled once, within the first file's time: a stylesheet
// that never compiles is stopped as a file that never converts is. The next file is always asked
// for before the last one is put in place, so that the worker never waits for the program.
class BuiltInFiles {
 public:
  explicit BuiltInFiles(BatchWork& batch) : batch_(batch) {
    worker_.emplace(batch.stop, rt::ExecutablePath(), std::move(batch.workerAhead));
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
    // Not compiled yet, or stopped while compiling: compiled now, in this file's time.
    if (!compiled_.succeeded && (compiled_.stopped || !tried_)) {
      tried_ = true;
      compiled_ = worker_->Compile(batch_.stylesheetPath, ProgramFiles(batch_.journalPath));
    }
    FileReport report{item.inputName, item.outputName, FileResult::NotConverted, compiled_.reason, {}};
    if (compiled_.stopped) report.result = FileResult::Stopped;
    batch_.notPrepared = compiled_.notPrepared;
    if (!compiled_.succeeded) return report;
    report.result = FileResult::Failed;
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
    } else if (outcome.mismatch != rt::TransformOutcome::Mismatch::kNone || outcome.notPrepared) {
      batch_.notPrepared = outcome.notPrepared;
      TakeMismatch(outcome, written_[position], batch_.outputPaths[index], report);
      if (report.result == FileResult::NotSchema) return report;  // kept aside
    }
    rt::RemoveFile(written_[position]);
    return report;
  }

 private:
  BatchWork& batch_;
  std::optional<rt::TransformWorker> worker_;
  rt::TransformOutcome compiled_;
  bool tried_ = false;
  std::vector<rt::Text> written_;  // by position: where each file asked for is written
  std::size_t told_ = 0;           // positions whose outcome has been taken
};

// The batch's files through the processor. When schemas of the formats lie beside the
// stylesheet, a worker checks each input before the processor starts and each result before it
// is put in place, with the schemas compiled once, within the first file's time.
class ProcessorFiles {
 public:
  explicit ProcessorFiles(BatchWork& batch) : batch_(batch), hidden_{batch.program, batch.workDirectory, &batch.stop} {
    if (SchemasBeside(batch.stylesheetPath)) checker_.emplace(batch.stop, rt::ExecutablePath());
  }

  FileReport Convert(std::size_t position) {
    const std::size_t index = batch_.toConvert[position];
    if (!checker_) return ConvertHidden(hidden_, batch_.plan[index], batch_.outputPaths[index]);
    if (!schemas_.succeeded && (schemas_.stopped || !tried_)) {
      tried_ = true;
      schemas_ = checker_->CompileSchemas(batch_.stylesheetPath, ProgramFiles(batch_.journalPath));
    }
    if (!schemas_.succeeded) {
      batch_.notPrepared = schemas_.notPrepared;
      const FileResult result = schemas_.stopped ? FileResult::Stopped : FileResult::NotConverted;
      return {batch_.plan[index].inputName, batch_.plan[index].outputName, result, schemas_.reason, {}};
    }
    return ConvertHidden(hidden_, batch_.plan[index], batch_.outputPaths[index], &*checker_, &batch_.notPrepared);
  }

 private:
  BatchWork& batch_;
  const HiddenConversion hidden_;
  std::optional<rt::TransformWorker> checker_;
  rt::TransformOutcome schemas_;
  bool tried_ = false;
};

// A row of the report as the journal keeps it; `entry` holds the input's facts.
JournalEntry RowEntry(const BatchWork& batch, std::size_t index, JournalEntry entry) {
  const FileReport& report = batch.reports[index];
  entry.outputPath = batch.outputPaths[index];
  entry.result = JournalResultOf(report.result);
  entry.reason = JournalReasonOf(report);
  return entry;
}

// The rows of the plan that are as they were planned: refused, or (after a stop) not converted;
// the first `started` files to convert were journaled as they ended.
void JournalRowsAsPlanned(const BatchWork& batch, FileResult result, std::size_t started = 0) {
  std::vector<bool> planned(batch.plan.size(), true);
  for (std::size_t position = 0; position < started; ++position) planned[batch.toConvert[position]] = false;
  std::vector<JournalEntry> entries;
  for (std::size_t index = 0; index < batch.plan.size(); ++index) {
    if (!planned[index] || batch.reports[index].result != result) continue;
    entries.push_back(
        RowEntry(batch, index, JournalEntryFor(batch.plan[index].inputPath, JournalMethodFor(batch.program))));
  }
  Journal(batch.journalPath, entries, batch.window);
  if (!batch.rowEnded) return;
  for (std::size_t index = 0; index < batch.plan.size(); ++index) {
    if (planned[index] && batch.reports[index].result == result) batch.rowEnded(batch.reports[index]);
  }
}

// One file's conversion, stopped when it takes longer than the batch allows; the stop is then
// armed again for the next file.
template <typename Conversion>
FileReport ConvertWithin(BatchWork& batch, Conversion convert) {
  if (batch.fileTimeoutMs == 0) return convert();
  FileReport report;
  {
    const rt::StopDeadline deadline(batch.stop, batch.fileTimeoutMs);
    report = convert();
  }
  if (!batch.stop.IsSet()) return report;
  batch.stop.Reset();
  if (report.result == FileResult::Stopped) report.reason = TimedOutReason(batch.fileTimeoutMs / 1000);
  return report;
}

}  // namespace

void Work(BatchWork& batch) {
  JournalRowsAsPlanned(batch, FileResult::Refused);
  rt::RemoveLeftTemporaries(batch.outputDirectory);
  // Without the processor the program converts itself.
  std::optional<BuiltInFiles> builtIn;
  std::optional<ProcessorFiles> processor;
  if (batch.program.empty()) {
    builtIn.emplace(batch);
  } else {
    processor.emplace(batch);
  }
  std::size_t position = 0;
  for (; position < batch.toConvert.size(); ++position) {
    if (batch.stop.IsSet() || batch.notPrepared) break;
    const std::size_t index = batch.toConvert[position];
    {
      std::lock_guard guard(batch.lock);
      ++batch.current;
    }
    rt::PostTaskEnded(batch.window);
    JournalEntry entry = JournalEntryFor(batch.plan[index].inputPath, JournalMethodFor(batch.program));
    FileReport report =
        ConvertWithin(batch, [&] { return builtIn ? builtIn->Convert(position) : processor->Convert(position); });
    {
      std::lock_guard guard(batch.lock);
      batch.reports[index] = std::move(report);
      ++batch.done;
    }
    entry = RowEntry(batch, index, std::move(entry));
    Journal(batch.journalPath, {&entry, 1}, batch.window);
    if (batch.rowEnded) batch.rowEnded(batch.reports[index]);
  }
  builtIn.reset();
  processor.reset();
  JournalRowsAsPlanned(batch, FileResult::NotConverted, position);
  {
    std::lock_guard guard(batch.lock);
    batch.finished = true;
  }
  rt::PostTaskEnded(batch.window);
}

void PlanWork(BatchWork& work, std::span<const BatchInput> inputs, bool requireXml) {
  work.outputDirectory = rt::CLIP(app::PATHOUT);
  work.workDirectory = rt::CLIP(app::GLO_PATH);
  work.journalPath = JournalPath();
  work.program = rt::FindProgram(kProcessorProgram);
  work.stylesheetPath = rt::FullPath(kStylesheet);
  PlanRows(work, inputs, requireXml);
}

void PlanRows(BatchWork& work, std::span<const BatchInput> inputs, bool requireXml) {
  work.plan = PlanBatch(inputs, requireXml);
  work.reports.clear();
  work.toConvert.clear();
  work.outputPaths.assign(work.plan.size(), {});
  for (std::size_t index = 0; index < work.plan.size(); ++index) {
    const BatchItem& item = work.plan[index];
    FileReport report{item.inputName, item.outputName, FileResult::NotConverted, {}, {}};
    if (item.accepted) {
      work.toConvert.push_back(index);
      work.outputPaths[index] = rt::FullPath(OutputPath(work.outputDirectory, item.outputName));
    } else {
      report.result = FileResult::Refused;
      report.reason = item.refusal;
    }
    work.reports.push_back(std::move(report));
  }
}

}  // namespace convert
