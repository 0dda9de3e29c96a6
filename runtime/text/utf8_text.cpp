#include "runtime/text/utf8_text.h"

namespace rt {

std::string Utf8Of(TextView text) {
  std::string bytes;
  bytes.reserve(text.size());
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
  return bytes;
}

Text TextOfUtf8(std::string_view bytes) {
  Text text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    char32_t point = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool whole = length > 0 && i + static_cast<std::size_t>(length) <= bytes.size();
    for (int k = 1; whole && k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      whole = (next & 0xC0) == 0x80;
      point = point << 6 | (next & 0x3F);
    }
    const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
    if (!whole || point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
      text += kReplacementCharacter;
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(length);
    if (point >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(point);
    }
  }
  return text;
}

}  // namespace rt
