// A document's DOCTYPE declaration, read by the program itself before the XML library sees the
// document: whether there is one, and what its internal subset declares. Entities are taken
// with their values, and with the text of the files they name when the caller fetches files;
// anything else that would be fetched from elsewhere, or would change the document in other
// ways (default attributes), is named as a problem.
#pragma once

#include <cstddef>
#include <map>

#include "runtime/text/text_value.h"
#include "transform/documents/dtd_files.h"
#include "transform/documents/prolog_reader.h"

namespace rt {

// kFileRefused: the fetcher would not read a file named; kFileUnreadable: it could not;
// kFileEncoding: the file's text cannot stand in the module as it is.
enum class DtdProblem {
  kNone,
  kMalformed,
  kExternalSubset,
  kExternalEntity,
  kParameterEntity,
  kAttributeList,
  kUnparsedEntity,
  kFileRefused,
  kFileUnreadable,
  kFileEncoding,
  kParameterEntityCycle,
  kTooLarge,
};

// An entity's replacement text, written to stand in the document where a reference to it stood:
// in content it is markup again; in an attribute value its quotes are data and its white space
// from character references becomes blanks, as the value's normalisation would make them.
// An external entity's text stands in content only.
struct EntityText {
  Text inContent;
  Text inAttribute;
  bool external = false;
};

// The line and column (from 1, in units) of a place in the text.
struct UnitPlace {
  LONG line = 1;
  LONG column = 1;
};
UnitPlace PlaceOf(TextView units, std::size_t at);

struct Doctype {
  std::size_t begin = 0, end = 0;  // the declaration's units; equal when there is none
  std::map<Text, EntityText, std::less<>> entities;
  DtdProblem problem = DtdProblem::kNone;
  Text entity;      // the entity the problem is about, when it is about one
  Text file;        // the fetched file it was found in, or for kFile… is about; empty: the module
  Text detail;      // kFileUnreadable: the system's text; kFileEncoding: the file's encoding
  UnitPlace place;  // where it was found
};

// Every file named is refused by name.
Doctype ReadDoctype(TextView units);
Doctype ReadDoctype(TextView units, const DtdFiles& files);

}  // namespace rt
