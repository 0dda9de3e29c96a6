// Text as UTF-8 bytes and back, for libraries and files that speak UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "runtime/text/text_value.h"

namespace rt {

inline constexpr char16_t kReplacementCharacter = 0xFFFD;

// A lone surrogate comes out as U+FFFD.
std::string Utf8Of(TextView text);
// Bytes that are not UTF-8 come out as U+FFFD, one for each.
Text TextOfUtf8(std::string_view bytes);

}  // namespace rt
