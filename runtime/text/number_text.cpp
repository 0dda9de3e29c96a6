#include "runtime/text/number_text.h"

#include <cstdint>
#include <limits>

namespace rt {
namespace {

constexpr std::size_t kReadLimit = 99;
constexpr std::int64_t kLongMax = std::numeric_limits<LONG>::max();

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads a run of digits; returns how many were read.
std::size_t ReadDigits(TextView text, std::size_t at, std::u16string* out) {
  std::size_t n = 0;
  while (at + n < text.size() && IsDigit(text[at + n])) {
    if (out) out->push_back(text[at + n]);
    ++n;
  }
  return n;
}

}  // namespace

LONG TextToLong(TextView text) {
  text = text.substr(0, kReadLimit);
  std::size_t at = 0;
  while (at < text.size() && text[at] == kBlank) ++at;
  bool negative = false;
  if (at < text.size() && text[at] == u'-') {
    negative = true;
    ++at;
  }

  std::u16string digits;  // integer and fraction digits, point after `pointAt` of them
  at += ReadDigits(text, at, &digits);
  std::int64_t pointAt = static_cast<std::int64_t>(digits.size());
  if (at < text.size() && text[at] == u'.') {
    ++at;
    at += ReadDigits(text, at, &digits);
    if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
      ++at;
      bool expNegative = false;
      if (at < text.size() && text[at] == u'-') {
        expNegative = true;
        ++at;
      }
      std::int64_t exponent = 0;
      while (at < text.size() && IsDigit(text[at])) {
        exponent = std::min<std::int64_t>(exponent * 10 + (text[at] - u'0'), 1000);
        ++at;
      }
      pointAt += expNegative ? -exponent : exponent;
    }
  }

  // Integer part: the digits before the (shifted) point, zeros beyond the digits read.
  std::int64_t value = 0;
  for (std::int64_t i = 0; i < pointAt; ++i) {
    const auto index = static_cast<std::size_t>(i);
    const int digit = index < digits.size() ? digits[index] - u'0' : 0;
    value = value * 10 + digit;
    if (value > kLongMax + 1) {
      value = kLongMax + 1;
      break;
    }
  }
  if (negative) return static_cast<LONG>(-value);
  return static_cast<LONG>(std::min(value, kLongMax));
}

Text FORMAT(LONG value, TextView picture) {
  std::size_t at = 0;
  if (at < picture.size() && (picture[at] == u'N' || picture[at] == u'n')) ++at;
  char16_t fill = 0;  // none: blanks with grouping
  if (at < picture.size() && (picture[at] == u'0' || picture[at] == u'_')) fill = picture[at++];
  std::size_t width = 0;
  while (at < picture.size() && IsDigit(picture[at]) && width < 255) {
    width = width * 10 + static_cast<std::size_t>(picture[at] - u'0');
    ++at;
  }

  const bool negative = value < 0;
  std::uint64_t magnitude =
      negative ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(value)) : static_cast<std::uint64_t>(value);
  Text digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (fill == 0) {
    for (std::size_t pos = digits.size(); pos > 3; pos -= 3) digits.insert(pos - 3, 1, u',');
  }
  if (width == 0) return negative ? u"-" + digits : digits;

  const std::size_t needed = digits.size() + (negative ? 1 : 0);
  if (needed > width) return Text(width, u'#');
  const char16_t pad = fill == u'0' ? u'0' : kBlank;
  if (fill == u'0') return (negative ? Text(u"-") : Text()) + Text(width - needed, pad) + digits;
  return Text(width - needed, pad) + (negative ? Text(u"-") : Text()) + digits;
}

Text HexText(std::uint32_t value, int digits) {
  constexpr char16_t kHex[] = u"0123456789ABCDEF";
  Text text;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kHex[(value >> shift) & 0xF];
  return text;
}

Text CodeText(std::uint32_t code) { return code < 0x80000000u ? DecimalText(code) : u"0x" + HexText(code, 8); }

}  // namespace rt
