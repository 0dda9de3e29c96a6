// Letters without case, as Windows' file systems compare names: each UTF-16 unit by itself
// through a table of simple uppercase mappings of the Basic Multilingual Plane. A letter whose
// capital is longer than one unit (ß, ŉ) stays as it is, and so does each half of a surrogate pair.
#pragma once

#include "runtime/text/text_value.h"

namespace rt {

char16_t UpperCaseOf(char16_t c);
void UpperCaseInPlace(Text& text);

}  // namespace rt
