// Files dragged onto the program's window and dropped there, from Explorer or any program.
#pragma once

#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

// Lets the current window take files dragged onto it (OLE drag and drop, from Explorer or any
// program); each drop becomes EVENT_Dropped. False when drag and drop cannot be set up.
bool AcceptDroppedFiles();

// Files handed to the program another way (its command line) arrive as if dropped on the current
// window outside its controls: EVENT_Dropped with FIELD 0.
void DropFiles(std::vector<Text> paths);

// The full paths of the last drop in the order given; empty once taken.
std::vector<Text> TakeDroppedFiles();

}  // namespace rt
