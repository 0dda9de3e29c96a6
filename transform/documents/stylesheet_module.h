// What the program looks for in each module of a stylesheet before the XML library compiles
// it: scripts, calls of document(), and the modules it includes or imports.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

enum class RefusedUse { kNone, kScript, kDocumentFunction };

// The href of an xsl:include or xsl:import: where its value stands in the text (between the
// quotes) and what it says (references replaced).
struct ModuleReference {
  std::size_t begin = 0, end = 0;
  Text href;
};

struct ModuleScan {
  RefusedUse refused = RefusedUse::kNone;  // the first found
  std::vector<ModuleReference> references;
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
