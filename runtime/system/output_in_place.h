// An output file written first under another name beside it and put in place only once it is
// complete, so that an earlier output is never replaced by a partial one.
#pragma once

#include "runtime/system/system_services.h"

namespace rt {

// A name in the directory of `path`, "vxt<4 hex digits>.tmp", that no file has at the moment.
// Nothing is created: a program started to write it writes it itself, so whether it wrote
// anything shows afterwards.
Text UnusedNameBeside(TextView path);

// Moves `written` over `target`, replacing it; false when it could not.
bool PutInPlace(TextView written, TextView target);

// Removes the file if there is one.
void RemoveFile(TextView path);

}  // namespace rt
