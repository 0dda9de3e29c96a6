#include "runtime/text/console_decoding.h"

namespace rt {
namespace {

constexpr std::size_t kTruncated = static_cast<std::size_t>(-1);

bool Continues(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
  return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 character that starts at `at`; 0 when there is none;
// kTruncated when the bytes end inside a character that is well-formed so far.
std::size_t CharacterLength(std::string_view bytes, std::size_t at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range: narrower after some leads
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (at + i == bytes.size()) return kTruncated;
    const auto byte = static_cast<unsigned char>(bytes[at + i]);
    if (i == 1 ? !Continues(byte, low, high) : !Continues(byte)) return 0;
  }
  return length;
}

}  // namespace

ConsoleDecoding DecideConsoleDecoding(std::string_view bytes, bool cut) {
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = CharacterLength(bytes, at);
    if (length == kTruncated && cut) return {at, true};
    if (length == 0 || length == kTruncated) return {bytes.size(), false};
    at += length;
  }
  return {bytes.size(), true};
}

}  // namespace rt
