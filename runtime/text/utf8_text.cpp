#include "runtime/text/utf8_text.h"

namespace rt {
namespace {

// The character that starts at `i`, and how many bytes it takes; 0 when they are no UTF-8
// character (cut short, overlong, a surrogate, beyond U+10FFFF).
std::size_t DecodeCharacter(std::string_view bytes, std::size_t i, char32_t& point) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
  if (length == 0 || i + length > bytes.size()) return 0;
  point = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    point = point << 6 | (next & 0x3F);
  }
  const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
  if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
  return length;
}

// Writes the character as one or two units at `out` and moves it past them.
void PutCharacter(char32_t point, char16_t*& out) {
  if (point >= 0x10000) {
    *out++ = static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
  } else {
    *out++ = static_cast<char16_t>(point);
  }
}

}  // namespace

void AppendUtf8(std::string& bytes, TextView text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t point = text[i];
    if (point >= 0xD800 && point <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (point >= 0xD800 && point <= 0xDFFF) {
      point = kReplacementCharacter;
    }
    if (point < 0x80) {
      bytes += static_cast<char>(point);
    } else if (point < 0x800) {
      bytes += static_cast<char>(0xC0 | point >> 6);
      bytes += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
      bytes += static_cast<char>(0xE0 | point >> 12);
      bytes += static_cast<char>(0x80 | (point >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (point & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | point >> 18);
      bytes += static_cast<char>(0x80 | (point >> 12 & 0x3F));
      bytes += static_cast<char>(0x80 | (point >> 6 & 0x3F));
      bytes += static_cast<char>(0x80 | (point & 0x3F));
    }
  }
}

std::string Utf8Of(TextView text) {
  std::string bytes;
  bytes.reserve(text.size());
  AppendUtf8(bytes, text);
  return bytes;
}

Text TextOfUtf8(std::string_view bytes) {
  Text text(bytes.size(), u'\0');  // never more units than bytes
  char16_t* out = text.data();
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t point = 0;
    const std::size_t length = DecodeCharacter(bytes, i, point);
    PutCharacter(length == 0 ? kReplacementCharacter : point, out);
    i += length == 0 ? 1 : length;
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

bool ReadUtf8(std::string_view bytes, Text& text) {
  text.resize(bytes.size());
  char16_t* out = text.data();
  for (std::size_t i = 0; i < bytes.size();) {
    // Most of a journal's bytes are ASCII.
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      *out++ = static_cast<char16_t>(bytes[i++]);
      continue;
    }
    char32_t point = 0;
    const std::size_t length = DecodeCharacter(bytes, i, point);
    if (length == 0) return false;
    PutCharacter(point, out);
    i += length;
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return true;
}

}  // namespace rt
