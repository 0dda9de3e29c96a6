// Files and folders named on the command line or dropped on the window, as the files to convert:
// a folder brings the XML files directly in it, a name with wildcards the files it matches (as
// cmd's commands take it), every path by its long names, each file once.
#pragma once

#include <vector>

#include "convert/rules/batch_plan.h"

namespace convert {

struct GivenFiles {
  std::vector<BatchInput> inputs;
  bool fromDirectory = false;  // a folder was among them: a batch, whatever their number
};

GivenFiles GatherGivenFiles(const std::vector<rt::Text>& paths);

}  // namespace convert
