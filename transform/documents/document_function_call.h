// Finding calls of XSLT's document() function in a stylesheet's attribute values, and what their
// first argument is, for a library that would not judge them itself.
#pragma once

#include <cstddef>
#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

// How an attribute value holds expressions.
enum class AttributeHolds {
  // The attributes of XSLT's own elements: some are expressions as a whole, others (xsl:element
  // name, xsl:attribute namespace, xsl:sort order, xsl:number format…) templates, so both
  // readings are checked.
  kExpression,
  kTemplate,  // in its {…} parts only: the attributes of literal result elements
};

struct DocumentCall {
  enum class Argument {
    kLiteral,   // a string literal alone: its text, and where its characters stand in the value
    kVariable,  // a variable reference alone: its name
    kOther,     // anything else, whose value the program cannot know
  };
  Argument first = Argument::kOther;
  Text text;
  std::size_t begin = 0, end = 0;
  bool base = false;   // a second argument gives the base its address is read against
  std::size_t at = 0;  // where the call starts in the value
};

// Every call of document() (the core function, not an extension of that name) in the value,
// by where it stands.
std::vector<DocumentCall> DocumentCallsIn(TextView value, AttributeHolds holds);

// Whether the value calls document().
bool CallsDocumentFunction(TextView value, AttributeHolds holds);

}  // namespace rt
