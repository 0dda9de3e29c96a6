// What a stylesheet's modules use that the program judges before the XML library compiles them:
// what the built-in conversion refuses, each at its element, and the files beside the stylesheet
// that document() reads, each named by a literal the program can point at a copy.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "runtime/text/text_value.h"
#include "transform/documents/module_view.h"

namespace rt {

enum class Blocker {
  kScript,
  kBase,             // xml:base
  kDocumentUnknown,  // document() with an address the program cannot know from the stylesheet
  kDocumentOutside,  // document() with an address outside the stylesheet's folder
};

struct ModuleBlocker {
  std::size_t module = 0, element = 0;
  Blocker what = Blocker::kScript;
};

// Where a literal stands: its module, element and attribute, and which characters of the
// attribute's value it is.
struct LiteralPlace {
  std::size_t module = 0, element = 0, attribute = 0, begin = 0, end = 0;
  bool operator==(const LiteralPlace&) const = default;
};

// A file document() reads, named by a literal: in the call, or as a top-level variable's value.
struct DataFile {
  LiteralPlace place;
  Text path;
};

struct StylesheetUses {
  std::vector<ModuleBlocker> blockers;  // by module, then in document order
  std::vector<DataFile> files;
};

// The full path of the file a relative address names against `base` (a file's full path), when
// it lies in `folder` (with its trailing separator) or below it; nothing otherwise (an absolute
// path or URI, a network path, a file outside).
std::optional<Text> FileBeside(TextView base, TextView address, TextView folder);

// What the views are of: the modules as they are written, where a file document() reads must be
// named by a relative address and by a literal that stands in the text unit for unit (so that it
// can be pointed at a copy); or the copies the library reads, whose literals name copies by their
// file: URLs.
enum class ModulesAre { kWritten, kCopies };

// `modulePaths[i]` is the full path of the module viewed in `views[i]`. A file document() reads
// must lie in `folder` (a full path with its trailing separator) or below it; document('') is
// the module itself.
StylesheetUses UsesOf(std::span<const ModuleView> views, std::span<const Text> modulePaths, TextView folder,
                      ModulesAre modules);

}  // namespace rt
