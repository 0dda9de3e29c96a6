// An output file written first under another name beside it and put in place only once it is
// complete, so that an earlier output is never replaced by a partial one.
#pragma once

#include <cstdint>

#include "runtime/system/system_services.h"

namespace rt {

// A name in the directory of `path` that no file has at the moment, of the form that tells
// this run of the program as its maker (runtime/text/temporary_name.h). Nothing is created: a
// program started to write it writes it itself, so whether it wrote anything shows afterwards.
Text UnusedNameBeside(TextView path);

// Removes the files of that form in the directory that a run of the program on this computer
// left when it ended without removing them (it was ended from outside, or the computer went
// down). Those of running copies of the program, and of other computers, stay.
void RemoveLeftTemporaries(TextView directory);

// Moves `written` over `target`, replacing it; false, with the system's error code, when it
// could not.
bool PutInPlace(TextView written, TextView target, std::uint32_t& error);

// Removes the file if there is one.
void RemoveFile(TextView path);

}  // namespace rt
