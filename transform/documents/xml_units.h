// A document's text as 16-bit units whatever its encoding, so that its markup (ASCII in every
// encoding the program meets) can be found and changed, and the bytes given back in the
// encoding they came in.
#pragma once

#include <string>
#include <string_view>

#include "runtime/text/text_value.h"

namespace rt {

// UTF-16 is read as such; anything else (UTF-8, windows-1251 and the other code pages) one
// unit per byte, where a byte below 0x80 is always that ASCII character.
enum class UnitForm { kBytes, kUtf16Le, kUtf16Be };

struct XmlUnits {
  Text text;
  UnitForm form = UnitForm::kBytes;
};

// By the byte order mark, or by how "<" comes first.
XmlUnits UnitsOf(std::string_view bytes);

// A document's bytes turned into units as they arrive, in chunks of any size: together the same
// units UnitsOf gives for all of them. Holds back at most the first byte (the form needs two)
// and the odd byte of a UTF-16 unit split between chunks.
class UnitDecoder {
 public:
  // Appends the units of the next bytes.
  void Decode(std::string_view bytes, Text& units);
  // The bytes ended: appends what was held back and could still be a unit.
  void Finish(Text& units);
  UnitForm form() const { return form_; }

 private:
  void Append(std::string_view bytes, Text& units);

  char head_[2] = {};
  std::size_t headSize_ = 0;
  bool formKnown_ = false;
  UnitForm form_ = UnitForm::kBytes;
  bool oddHeld_ = false;
  char odd_ = 0;
};

// The units as bytes of the form; what was inserted into a byte form is ASCII.
std::string BytesOf(TextView units, UnitForm form);

}  // namespace rt
