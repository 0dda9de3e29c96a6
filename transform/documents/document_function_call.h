// Finding calls of XSLT's document() function in a stylesheet's attribute values, for a
// library that would not refuse them itself.
#pragma once

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

// Whether the value calls document() (the core function, not an extension of that name).
bool CallsDocumentFunction(TextView value, AttributeHolds holds);

}  // namespace rt
