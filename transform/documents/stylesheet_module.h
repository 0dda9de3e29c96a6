// What the program looks for in each module of a stylesheet before the XML library compiles
// it: the module as a parser reads it (where scripts, calls of document() and xml:base are
// looked for), and the modules it includes or imports.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "runtime/text/text_value.h"
#include "transform/documents/module_view.h"

namespace rt {

// The href of an xsl:include or xsl:import: where its value stands in the text (between the
// quotes) and what it says (references replaced).
struct ModuleReference {
  std::size_t begin = 0, end = 0;
  Text href;
};

// What each character beyond ASCII is in the program's own view of a module: the checks look
// only at ASCII, and read this one as a letter, as they would the character itself.
inline constexpr char16_t kNonAsciiStandIn = u'\x80';

struct ModuleScan {
  RefusedUse refused = RefusedUse::kNone;  // the first found
  std::vector<ModuleReference> references;
  ModuleView view;
  // The text holds what the program does not read exactly as a parser would (a DOCTYPE, an
  // entity that is not predefined, an undeclared prefix, markup that is not well-formed): the
  // view stops there, and the module is not to be used.
  bool unreadable = false;
  std::size_t unreadableAt = 0;
};

// The text is the module's as the library will get it (no DOCTYPE, entities replaced), one
// unit per byte or UTF-16; names are matched by their namespaces, whatever the prefixes.
ModuleScan ScanStylesheetModule(TextView text);

// A module that pulls itself in, directly or through others (which XSLT forbids and some
// implementations of the library follow without end), given the modules each one pulls in.
std::optional<std::size_t> ModuleInCircle(const std::vector<std::vector<std::size_t>>& pulledIn);

// The text with each reference's href replaced by the new one of the same index.
Text WithHrefs(TextView text, std::span<const ModuleReference> references, std::span<const Text> hrefs);

}  // namespace rt
