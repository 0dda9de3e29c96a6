// Where this user can keep files: whether he may write a file, found out without creating
// anything, and the folder of his own for a program's data.
#pragma once

#include "runtime/text/text_value.h"

namespace rt {

// An existing file: whether it opens for writing. A missing one: whether its directory lets this
// user create files in it. Only a refusal of access counts; a file held open by another
// program can still be written once it lets go.
bool CanWriteFile(TextView path);

// The user's roaming application-data folder (%APPDATA%), without a trailing separator; empty
// when the system does not say.
Text UserDataDirectory();

// Creates the directory (its parent must exist); true when it exists afterwards.
bool MakeDirectory(TextView path);

// Gives the file a new name in the same volume, never over another file; false when it cannot now
// (held open without sharing, or the name is taken).
bool RenameFile(TextView path, TextView newPath);

}  // namespace rt
