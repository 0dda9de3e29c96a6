// A stylesheet module as a parser hands it on, whoever parsed it: its elements with their
// namespaces and attribute values. The checks of what the program refuses in a module run on
// this view, so that they read what the XML library will compile.
#pragma once

#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

// What the program refuses in a stylesheet module; kBase: xml:base, which makes the library read
// modules from elsewhere than the program checked.
enum class RefusedUse { kNone, kScript, kDocumentFunction, kBase };

struct ViewAttribute {
  Text space;  // namespace URI
  Text local;  // local name
  Text value;  // as a parser hands it on
  // Where the value stands in the program's own text, and whether it stands there unit for unit
  // (no references, no line ends made blanks): only then can a part of it be replaced there.
  std::size_t begin = 0, end = 0;
  bool verbatim = false;
};

struct ViewElement {
  Text space;
  Text local;
  std::vector<ViewAttribute> attributes;  // namespace declarations left out
  std::size_t depth = 0;                  // 0 for the document element
  bool empty = true;                      // no element and no text beyond white space in it
  std::size_t start = 0;                  // where it starts in the program's own text
};

using ModuleView = std::vector<ViewElement>;  // every element, in document order

struct ViewCheck {
  RefusedUse refused = RefusedUse::kNone;  // the first found, in document order
  std::vector<Text> hrefs;                 // of xsl:include / xsl:import, in document order
};

ViewCheck CheckModuleView(const ModuleView& view);

// Whether two parsers read the same module: the same elements at the same depths with the same
// attributes, every character beyond ASCII taken as one and the same stand-in.
bool SameView(const ModuleView& a, const ModuleView& b);

}  // namespace rt
