#include "convert/hidden_conversion.h"

#include "convert/result_placement.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/conversion_outcome.h"
#include "convert/rules/launch_parameters.h"
#include "runtime/process/hidden_process.h"
#include "runtime/process/program_launch.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/output_in_place.h"

namespace convert {

FileReport ConvertHidden(const HiddenConversion& how, const BatchItem& item, const rt::Text& outputPath) {
  FileReport report{item.inputName, item.outputName, FileResult::Failed, {}, {}};
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
