// A finished result put in the output's place. An output that cannot be replaced (another
// program holds it open) is told with the system's reason, and the result is kept beside it
// under a name of its own, so that the work is not lost.
#pragma once

#include "runtime/text/text_value.h"

namespace convert {

struct Placement {
  bool placed = false;
  rt::Text reason;  // when it was not: why, and where the result is
};

// `written`: the complete result, under a temporary name beside the output.
Placement PlaceResult(const rt::Text& written, const rt::Text& outputPath);

}  // namespace convert
