// Text as UTF-8 bytes and back, for libraries and files that speak UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "runtime/text/text_value.h"

namespace rt {

inline constexpr char16_t kReplacementCharacter = 0xFFFD;

// A lone surrogate comes out as U+FFFD.
std::string Utf8Of(TextView text);
void AppendUtf8(std::string& bytes, TextView text);

// Bytes that are not UTF-8 come out as U+FFFD, one for each.
Text TextOfUtf8(std::string_view bytes);
// The bytes as text in the text's own room, so that a reader of many lines makes room once; false
// when they are not UTF-8 (another code page's).
bool ReadUtf8(std::string_view bytes, Text& text);

}  // namespace rt
