#include "convert/batch/result_placement.h"

#include "convert/rules/conversion_messages.h"
#include "runtime/system/output_in_place.h"
#include "runtime/system/system_error.h"
#include "runtime/text/path_split.h"
#include "transform/xslt/transform_reasons.h"

namespace convert {

Placement PlaceResult(const rt::Text& written, const rt::Text& outputPath) {
  std::uint32_t error = 0;
  if (rt::PutInPlace(rt::ExtendedLengthPath(written), rt::ExtendedLengthPath(outputPath), error)) return {true, {}};
  const rt::Text notWritten = rt::OutputNotWrittenReason(outputPath, rt::SystemErrorText(error));
  rt::Text kept = outputPath + kKeptResultSuffix;
  std::uint32_t keptError = 0;
  if (!rt::PutInPlace(rt::ExtendedLengthPath(written), rt::ExtendedLengthPath(kept), keptError)) kept = written;
  return {false, ResultKeptReason(notWritten, kept)};
}

void TakeMismatch(const rt::TransformOutcome& outcome, const rt::Text& written, const rt::Text& outputPath,
                  FileReport& report) {
  report.reason = outcome.reason;
  // A schema the library cannot use on the file is no fault of the file.
  if (outcome.notPrepared) report.result = FileResult::NotConverted;
  if (outcome.mismatch == rt::TransformOutcome::Mismatch::kFormat) report.result = FileResult::NotFormat;
  if (outcome.mismatch != rt::TransformOutcome::Mismatch::kSchema) return;
  report.result = FileResult::NotSchema;
  const rt::Text kept = outputPath + kInvalidResultSuffix;
  std::uint32_t error = 0;
  const bool moved = rt::PutInPlace(rt::ExtendedLengthPath(written), rt::ExtendedLengthPath(kept), error);
  report.reason = rt::Concat({outcome.reason, kResultKeptIn, moved ? kept : written});
}

}  // namespace convert
