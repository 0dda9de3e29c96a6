// The parts of the file and directory dialog that need no platform: the filter, the
// starting name and the directory answer.
#pragma once

#include "runtime/text_value.h"

namespace rt {

inline constexpr std::size_t kTitleLimit = 79;
inline constexpr std::size_t kFilterLimit = 254;

// The name the directory dialog carries in its hidden name box; never created or required.
inline constexpr char16_t kDirectoryDummyName[] = u"XXYZZY.NIG";

// "ALL|*.*" as the dialog takes it: NUL-separated description/pattern pairs, ending in an
// extra NUL. A single field such as "*.XML" is its own description and pattern, so the
// dialog lists those files. An empty filter lists all files.
Text DialogFilter(TextView filter);

// Whether a text can stand as the dialog's starting name; a dialog given a name it cannot
// parse fails instead of opening.
bool NameCanStartDialog(TextView name);

// The directory the directory dialog chose: its answer up to and including the last "\".
Text DirectoryOfAnswer(TextView answer);

// A multiple selection (directory, NUL, names, double NUL) as one text with "|" between.
Text JoinMultipleSelection(TextView buffer);

}  // namespace rt
