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
};

struct ViewElement {
  Text space;
  Text local;
  std::vector<ViewAttribute> attributes;  // namespace declarations left out
};

using ModuleView = std::vector<ViewElement>;  // every element, in document order

struct ViewCheck {
  RefusedUse refused = RefusedUse::kNone;  // the first found, in document order
  std::vector<Text> hrefs;                 // of xsl:include / xsl:import, in document order
};

ViewCheck CheckModuleView(const ModuleView& view);

}  // namespace rt
