// Conversions the program does itself through the system XML library, when msxsl.exe is
// nowhere to be found: each on a worker thread of its own (the window answers throughout),
// its end told to the window as a processor's end is.
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

// The built-in conversions that have ended since the last call.
std::vector<BuiltInEnd> TakeEndedBuiltInConversions();

}  // namespace convert
