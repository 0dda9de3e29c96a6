// The conversions whose processor still runs, and what the user is told when they end.
#pragma once

#include <cstdint>

#include "runtime/system/system_services.h"

namespace convert {

struct StartedConversion {
  rt::Text inputName;           // the input file's name, without its directory
  rt::Text outputPath;          // full, as the processor resolves it
  std::int64_t launchTime = 0;  // file time just before the launch
};

// Keeps the started processor's process and what is needed to judge its end.
void WatchConversion(rt::HandleValue process, StartedConversion conversion);

// Judges every conversion whose processor has ended; the failures among them are told in
// one warning, a line each, with the focus on Convert afterwards. A success shows nothing.
void ConversionsEnded();

}  // namespace convert
