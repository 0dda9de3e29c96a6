// A document's DOCTYPE declaration, read by the program itself before the XML library sees the
// document: whether there is one, and what its internal subset declares. Only entities whose
// value stands in the declaration are taken; anything that would be fetched from elsewhere,
// or would change the document in other ways (default attributes), is named as a problem.
#pragma once

#include <cstddef>
#include <map>

#include "runtime/text/text_value.h"
#include "transform/documents/prolog_reader.h"

namespace rt {

enum class DtdProblem { kNone, kMalformed, kExternalSubset, kExternalEntity, kParameterEntity, kAttributeList };

// An entity's replacement text, written to stand in the document where a reference to it stood:
// in content it is markup again; in an attribute value its quotes are data and its white space
// from character references becomes blanks, as the value's normalisation would make them.
struct EntityText {
  Text inContent;
  Text inAttribute;
};

struct Doctype {
  std::size_t begin = 0, end = 0;  // the declaration's units; equal when there is none
  std::map<Text, EntityText, std::less<>> entities;
  DtdProblem problem = DtdProblem::kNone;
  Text entity;                // the entity the problem is about, when it is about one
  std::size_t problemAt = 0;  // where it was found
};

Doctype ReadDoctype(TextView units);

// The line and column (from 1, in units) of a place in the text.
struct UnitPlace {
  LONG line = 1;
  LONG column = 1;
};
UnitPlace PlaceOf(TextView units, std::size_t at);

}  // namespace rt
