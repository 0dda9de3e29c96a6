// Splitting a full path into drive, directory, name and extension, without the platform.
#pragma once

#include "runtime/text/text_value.h"

namespace rt {

// Flags of what a path holds.
enum PathFlags : LONG {
  kPathWildcards = 1,
  kPathExtension = 2,
  kPathName = 4,
  kPathDirectory = 8,
  kPathDrive = 16,
};

struct PathParts {
  LONG flags = 0;
  Text drive;      // "C:" or empty
  Text directory;  // up to and including the last "\" or "/"
  Text name;       // between the directory and the extension
  Text extension;  // from the last "." of the name on, or empty
};

// Splits a path that is already absolute. Leading and trailing blanks are ignored; the
// parts are cut at 2 (drive) and 255 characters.
PathParts SplitFullPath(TextView path);

// A full path of 248 characters or more with the "\\?\" prefix that lifts the system's
// 260-character limit; a shorter one as it is.
Text ExtendedLengthPath(TextView fullPath);

}  // namespace rt
