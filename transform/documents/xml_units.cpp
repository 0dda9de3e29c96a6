#include "transform/documents/xml_units.h"

namespace rt {

XmlUnits UnitsOf(std::string_view bytes) {
  const auto byte = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
  XmlUnits units;
  if ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0x3C && byte(1) == 0x00)) {
    units.form = UnitForm::kUtf16Le;
  } else if ((byte(0) == 0xFE && byte(1) == 0xFF) || (byte(0) == 0x00 && byte(1) == 0x3C)) {
    units.form = UnitForm::kUtf16Be;
  }
  if (units.form == UnitForm::kBytes) {
    units.text.assign(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) units.text[i] = static_cast<char16_t>(byte(i));
    return units;
  }
  const bool little = units.form == UnitForm::kUtf16Le;
  units.text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.text.push_back(static_cast<char16_t>(little ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1)));
  }
  return units;
}

std::string BytesOf(TextView units, UnitForm form) {
  std::string bytes;
  if (form == UnitForm::kBytes) {
    bytes.reserve(units.size());
    for (const char16_t unit : units) bytes.push_back(static_cast<char>(unit & 0xFF));
    return bytes;
  }
  bytes.reserve(units.size() * 2);
  for (const char16_t unit : units) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes.push_back(form == UnitForm::kUtf16Le ? low : high);
    bytes.push_back(form == UnitForm::kUtf16Le ? high : low);
  }
  return bytes;
}

}  // namespace rt
