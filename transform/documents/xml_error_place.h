// Where a document stops being well-formed XML, for when the XML library refuses a document
// without saying where (some implementations report no line or column).
#pragma once

#include <optional>
#include <string_view>

#include "runtime/text/text_value.h"

namespace rt {

struct TextPlace {
  LONG line = 0;    // from 1
  LONG column = 0;  // from 1, in characters (UTF-8 sequences count once)
};

// The place of the first mistake the checks here find: a tag, comment, processing instruction,
// section or quoted value left open, an end tag that does not match, an attribute without
// quotes, a "<" or "&" out of place, text or a second element after the document element, a
// document without one. Nothing when the text passes them.
std::optional<TextPlace> FirstMalformedPlace(std::string_view text);

}  // namespace rt
