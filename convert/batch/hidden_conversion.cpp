#include "convert/batch/hidden_conversion.h"

#include "convert/batch/result_placement.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/conversion_outcome.h"
#include "convert/rules/launch_parameters.h"
#include "runtime/process/hidden_process.h"
#include "runtime/process/program_launch.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/output_in_place.h"
#include "transform/xslt/schema_check.h"

namespace convert {

bool SchemasBeside(const rt::Text& stylesheetPath) {
  return rt::IsFile(rt::SchemaBeside(stylesheetPath, false)) || rt::IsFile(rt::SchemaBeside(stylesheetPath, true));
}

namespace {

// A check that did not pass: stopped, a mismatch, or a failure to check, as the report tells it.
FileReport& Unchecked(const rt::TransformOutcome& check, const rt::Text& written, const rt::Text& outputPath,
                      FileReport& report) {
  if (check.stopped) {
    report.result = FileResult::Stopped;
  } else {
    TakeMismatch(check, written, outputPath, report);
  }
  return report;
}

}  // namespace

FileReport ConvertHidden(const HiddenConversion& how, const BatchItem& item, const rt::Text& outputPath,
                         rt::TransformWorker* checker, bool* notPrepared) {
  FileReport report{item.inputName, item.outputName, FileResult::Failed, {}, {}};
  if (checker != nullptr) {
    if (const rt::TransformOutcome input = checker->Check(item.inputPath, false); !input.succeeded) {
      if (notPrepared != nullptr) *notPrepared = input.notPrepared;
      return Unchecked(input, {}, outputPath, report);
    }
  }
  const rt::Text written = rt::UnusedNameBeside(outputPath);
  const std::int64_t launchTime = rt::FileTimeNow();
  const rt::HiddenRun run = rt::RunHidden(how.program, ParameterTextFor(item.inputPath, written), how.workDirectory,
                                          kCaptureLimit, *how.stop);
  if (!run.started) {
    report.reason = LaunchFailedMessage(rt::SystemErrorText(run.systemError));
    return report;
  }
  report.captured = rt::ConsoleText(run.captured, run.cut);
  report.capturedCut = run.cut;
  // Only a processor that ended well, and wrote its file since it started, has its file put in place.
  const Outcome outcome = JudgeOutcome({run.exitCode, rt::LastWriteTime(written)}, launchTime);
  if (run.stopped) {
    report.result = FileResult::Stopped;
  } else if (outcome != Outcome::Succeeded) {
    report.reason = FailureReason(outcome, run.exitCode, outputPath);
  } else if (const rt::TransformOutcome result =
                 checker != nullptr ? checker->Check(written, true) : rt::TransformOutcome{true, false, {}};
             !result.succeeded) {
    if (notPrepared != nullptr) *notPrepared = result.notPrepared;
    Unchecked(result, written, outputPath, report);
    if (result.mismatch == rt::TransformOutcome::Mismatch::kSchema) return report;  // kept aside
  } else {
    const Placement placement = PlaceResult(written, outputPath);
    if (placement.placed) report.result = FileResult::Converted;
    report.reason = placement.reason;
    return report;
  }
  rt::RemoveFile(written);
  return report;
}

}  // namespace convert
