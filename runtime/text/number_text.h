// Reading integers out of text and writing them through numeric pictures.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>

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

// A whole number as plain decimal digits ("-" first when negative), for counts and sizes in texts.
Text DecimalText(std::integral auto value) {
  const std::string digits = std::to_string(value);
  return Text(digits.begin(), digits.end());
}

// The value's last `digits` hexadecimal digits, in capitals, without "0x".
Text HexText(std::uint32_t value, int digits);

// A code as people look it up: decimal, or "0x" and eight hexadecimal digits from 0x80000000 on,
// where error and status codes (HRESULT, NTSTATUS) live.
Text CodeText(std::uint32_t code);

}  // namespace rt
