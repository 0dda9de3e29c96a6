// A finished result put in the output's place. An output that cannot be replaced (another
// program holds it open) is told with the system's reason, and the result is kept beside it
// under a name of its own, so that the work is not lost.
#pragma once

#include "convert/rules/batch_report.h"
#include "runtime/text/text_value.h"
#include "transform/xslt/xslt_stylesheet.h"

namespace convert {

struct Placement {
  bool placed = false;
  rt::Text reason;  // when it was not: why, and where the result is
};

// `written`: the complete result, under a temporary name beside the output.
Placement PlaceResult(const rt::Text& written, const rt::Text& outputPath);

// What a conversion that ended with `outcome` tells, as a report's row: its result and reason.
// A result that does not match its schema is kept aside (never in the output's place), for
// whoever maintains the stylesheet; the reason says where.
void TakeMismatch(const rt::TransformOutcome& outcome, const rt::Text& written, const rt::Text& outputPath,
                  FileReport& report);

}  // namespace convert
