// A document's text with its DOCTYPE declaration taken out and the entities it declared put in
// where they are referred to, so that the XML library gets the same document without a DTD.
#pragma once

#include "transform/documents/xml_doctype.h"

namespace rt {

// kExternalInAttribute: an external entity referred to in an attribute value, which XML forbids.
enum class ExpansionProblem { kNone, kRecursive, kTooLarge, kExternalInAttribute };

struct Expansion {
  Text text;
  ExpansionProblem problem = ExpansionProblem::kNone;
  Text entity;  // the entity that refers to itself, or the external one in an attribute value
};

// The declaration is replaced by its own line breaks, so that lines keep their numbers. A
// reference to an entity not declared is left for the library to report.
Expansion WithoutDoctype(TextView units, const Doctype& doctype);

}  // namespace rt
