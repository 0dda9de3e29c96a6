// The encoding the XML library reads a document in, told from its first bytes as the library
// tells it, and whether the program reads that encoding the same way: its own reading of
// markup takes every unit below 0x80 for that ASCII character, which holds for UTF-8, UTF-16
// and single-byte code pages, and not for code pages where such a byte ends a character.
#pragma once

#include <cstddef>
#include <string_view>

#include "runtime/text/text_value.h"

namespace rt {

// The XML declaration at the start of the units (after a byte order mark).
struct XmlDeclaration {
  bool present = false;
  bool malformed = false;  // begun but not readable: the library reads no document from it
  std::size_t end = 0;     // after its "?>"
  Text version, encoding;  // as written; empty when not given
};

XmlDeclaration ReadXmlDeclaration(TextView units);
// The text declaration an external entity's file may begin with: the version may be left out,
// the encoding may not, and there is no standalone.
XmlDeclaration ReadTextDeclaration(TextView units);

// Whether an encoding name (as declared, any case) stands for UTF-8.
bool IsUtf8Name(TextView name);

struct DocumentEncoding {
  Text name;              // as declared, or as the byte order mark or the bytes tell it
  bool readable = false;  // the program reads it as the library does
};

// By the byte order mark, else by the declaration's encoding, else UTF-8. The first few
// kilobytes are enough.
DocumentEncoding EncodingOf(std::string_view bytes);

}  // namespace rt
