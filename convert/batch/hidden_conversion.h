// One file of a batch converted by the processor without a window of its own: the processor
// writes a temporary file beside the output, which replaces the output only when the
// processor ended well; otherwise it goes, and an earlier output stays as it was.
#pragma once

#include "convert/rules/batch_plan.h"
#include "convert/rules/batch_report.h"
#include "runtime/process/stop_signal.h"
#include "transform/transform_worker.h"

namespace convert {

// What a person can read of the processor's output per file; the rest is read and dropped.
inline constexpr std::size_t kCaptureLimit = 64 * 1024;

struct HiddenConversion {
  rt::Text program;        // the processor's full path
  rt::Text workDirectory;  // where it starts, and reads the stylesheet
  const rt::StopSignal* stop = nullptr;
};

// Whether the schemas of the formats lie beside the stylesheet, either of them: then every file
// the processor converts is checked, in a batch, which can keep a result from the output's place.
bool SchemasBeside(const rt::Text& stylesheetPath);

// Blocks until the processor has ended, or has been ended by the stop signal. With a checker (a
// worker with the format's schemas compiled), the input is checked before the processor starts
// and its result before it is put in place; `notPrepared` is set when a schema turns out to be
// unusable on the file (no file can be checked with it).
FileReport ConvertHidden(const HiddenConversion& how, const BatchItem& item, const rt::Text& outputPath,
                         rt::TransformWorker* checker = nullptr, bool* notPrepared = nullptr);

}  // namespace convert
