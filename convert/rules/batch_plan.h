// What a batch of files will do before anything is started: each file is checked by the
// one-file rules, files whose output names collide are refused but the first, and the rows
// come in name order.
#pragma once

#include <span>
#include <vector>

#include "runtime/text/text_value.h"

namespace convert {

struct BatchInput {
  rt::Text path;             // full path, as chosen or dropped
  bool isDirectory = false;  // only a drop brings directories
  bool missing = false;      // a path given on the command line that names nothing
};

struct BatchItem {
  rt::Text inputPath;
  rt::Text inputName;   // the name without its directory
  rt::Text outputName;  // the 12-character name when the name fields allow one
  bool accepted = false;
  rt::Text refusal;  // why not, in the words of the one-file message
};

// Whether the name ends in ".XML", in any case.
bool IsXmlName(rt::TextView name);

// `requireXml`: a drop may bring anything, the dialog lists "*.XML" but lets the user type
// any name, which the one-file path accepts too.
std::vector<BatchItem> PlanBatch(std::span<const BatchInput> inputs, bool requireXml);

}  // namespace convert
