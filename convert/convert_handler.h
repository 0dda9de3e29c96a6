// What the Convert button does.
#pragma once

#include <vector>

#include "runtime/text/text_value.h"

namespace convert {

void ConvertHandler();

// Every failure is told the same way: a system-modal warning with one OK button, then the focus
// goes where the user should act next.
void Warn(rt::TextView text, rt::LONG focus);

// Files dropped on the window or given on the command line: one file as if chosen in the file
// dialog; several, or the XML files directly in a directory, as a batch. The input directory
// plays no part; the output directory must be set.
void ConvertDroppedFiles(const std::vector<rt::Text>& paths);

}  // namespace convert
