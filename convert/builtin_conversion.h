// Conversions the program does itself through the system XML library, when msxsl.exe is
// nowhere to be found: each followed by a thread of its own (the window answers throughout) and
// done by a worker process that can be ended at any moment; its end is told to the window as a
// processor's end is.
#pragma once

#include <vector>

#include "convert/conversion_watch.h"
#include "transform/xml_transform.h"

namespace convert {

struct BuiltInEnd {
  StartedConversion conversion;
  rt::TransformOutcome outcome;
};

// Transforms the input with the stylesheet into conversion.outputPath.
void StartBuiltInConversion(StartedConversion conversion, rt::Text inputPath, rt::Text stylesheetPath);

// Whether one of them has not ended yet.
bool BuiltInRunning();

// The built-in conversions that have ended since the last call, those stopped at close included.
std::vector<BuiltInEnd> TakeEndedBuiltInConversions();

// The program is closing: ends every one still running at once, an earlier output kept, and
// returns when nothing of them is left.
void StopBuiltInConversions();

}  // namespace convert
