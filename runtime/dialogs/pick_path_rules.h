// The parts of the file and directory dialog that need no platform: the filter, the
// starting name and the directory answer.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

inline constexpr std::size_t kTitleLimit = 79;
inline constexpr std::size_t kFilterLimit = 254;

// The name the directory dialog carries in its hidden name box; never created or required.
inline constexpr char16_t kDirectoryDummyName[] = u"XXYZZY.NIG";

// The common dialog's flags (the platform's OFN_ values), named here so the choice of
// flags can be tested without the platform.
namespace ofn {
inline constexpr std::uint32_t kOverwritePrompt = 0x2;
inline constexpr std::uint32_t kHideReadOnly = 0x4;
inline constexpr std::uint32_t kNoChangeDir = 0x8;
inline constexpr std::uint32_t kEnableHook = 0x20;
inline constexpr std::uint32_t kEnableTemplate = 0x40;
inline constexpr std::uint32_t kAllowMultiSelect = 0x200;
inline constexpr std::uint32_t kPathMustExist = 0x800;
inline constexpr std::uint32_t kFileMustExist = 0x1000;
inline constexpr std::uint32_t kShareAware = 0x4000;
inline constexpr std::uint32_t kNoTestFileCreate = 0x10000;
inline constexpr std::uint32_t kExplorer = 0x80000;
inline constexpr std::uint32_t kLongNames = 0x200000;
}  // namespace ofn

// The dialog's flags for a PickPath flag word: the directory mode's own set, or the file
// dialog's built bit by bit.
std::uint32_t DialogFlags(LONG pickFlags);

// Whether the flag word asks for the save form of the dialog (the directory mode uses it).
bool UsesSaveDialog(LONG pickFlags);

// "ALL|*.*" as the dialog takes it: NUL-separated description/pattern pairs, ending in an
// extra NUL. A single field such as "*.XML" is its own description and pattern, so the
// dialog lists those files. An empty filter lists all files.
Text DialogFilter(TextView filter);

// Whether a text can stand as the dialog's starting name; a dialog given a name it cannot
// parse fails instead of opening.
bool NameCanStartDialog(TextView name);

// The directory the directory dialog chose: its answer up to and including the last "\".
Text DirectoryOfAnswer(TextView answer);

// The full paths of the dialog's answer with several files allowed: one full path, or the
// directory, NUL, the names NUL-separated, and a double NUL.
std::vector<Text> SelectedFiles(TextView buffer);

// A multiple selection (directory, NUL, names, double NUL) as one text with "|" between.
Text JoinMultipleSelection(TextView buffer);

}  // namespace rt
