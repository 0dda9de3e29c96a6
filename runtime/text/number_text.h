// Reading integers out of text and writing them through numeric pictures.
#pragma once

#include "runtime/text/text_value.h"

namespace rt {

// The integer part of the number that leads the text (its first 99 characters): leading
// blanks, an optional "-", digits, after a "." fraction digits and an "e" exponent.
// Text that is not a number gives 0; values beyond 32 bits are held at the limit.
LONG TextToLong(TextView text);

// A numeric picture "N", an optional fill ("0" zeros, "_" blanks) and a width: the value
// right-aligned in exactly that width. Without a fill, thousands are grouped with ",".
// A value that does not fit gives "#" in every position.
Text FORMAT(LONG value, TextView picture);

}  // namespace rt
