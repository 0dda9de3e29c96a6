#include "transform/documents/xml_units.h"

#include <algorithm>

namespace rt {
namespace {

// From the first two bytes (fewer when the document is shorter).
UnitForm FormOf(std::string_view head) {
  const auto byte = [&](std::size_t i) { return i < head.size() ? static_cast<unsigned char>(head[i]) : 0x100u; };
  if ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0x3C && byte(1) == 0x00)) return UnitForm::kUtf16Le;
  if ((byte(0) == 0xFE && byte(1) == 0xFF) || (byte(0) == 0x00 && byte(1) == 0x3C)) return UnitForm::kUtf16Be;
  return UnitForm::kBytes;
}

}  // namespace

XmlUnits UnitsOf(std::string_view bytes) {
  XmlUnits units;
  UnitDecoder decoder;
  decoder.Decode(bytes, units.text);
  decoder.Finish(units.text);
  units.form = decoder.form();
  return units;
}

void UnitDecoder::Decode(std::string_view bytes, Text& units) {
  if (!formKnown_) {
    const std::size_t taken = std::min(bytes.size(), sizeof head_ - headSize_);
    std::copy_n(bytes.begin(), taken, head_ + headSize_);
    headSize_ += taken;
    bytes.remove_prefix(taken);
    if (headSize_ < sizeof head_) return;
    form_ = FormOf({head_, headSize_});
    formKnown_ = true;
    Append({head_, headSize_}, units);
  }
  Append(bytes, units);
}

void UnitDecoder::Finish(Text& units) {
  // A UTF-16 document's odd last byte is no unit.
  if (formKnown_) return;
  form_ = FormOf({head_, headSize_});
  formKnown_ = true;
  Append({head_, headSize_}, units);
}

void UnitDecoder::Append(std::string_view bytes, Text& units) {
  if (form_ == UnitForm::kBytes) {
    const std::size_t start = units.size();
    units.resize(start + bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) units[start + i] = static_cast<unsigned char>(bytes[i]);
    return;
  }
  const bool little = form_ == UnitForm::kUtf16Le;
  const auto unit = [little](char first, char second) {
    const unsigned a = static_cast<unsigned char>(first), b = static_cast<unsigned char>(second);
    return static_cast<char16_t>(little ? a | b << 8 : a << 8 | b);
  };
  units.reserve(units.size() + (bytes.size() + 1) / 2);
  std::size_t i = 0;
  if (oddHeld_ && !bytes.empty()) {
    units.push_back(unit(odd_, bytes[0]));
    oddHeld_ = false;
    i = 1;
  }
  for (; i + 1 < bytes.size(); i += 2) units.push_back(unit(bytes[i], bytes[i + 1]));
  if (i < bytes.size()) {
    odd_ = bytes[i];
    oddHeld_ = true;
  }
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
