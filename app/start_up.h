// From process start to process end: the executable's directory, the settings-file path
// and the call of the main window procedure.
#pragma once

#include "runtime/text/text_value.h"

namespace app {

inline constexpr char16_t kSettingsFileName[] = u"Vexilate.INI";
// Converts the new files of the input directory at start, without a question (a desktop shortcut).
inline constexpr char16_t kNewFilesSwitch[] = u"new";

// The drive and directory that hold the running executable, ending in its separator.
rt::Text GETEXECDIR();

// Sets GLO_STNAMEINIFILE to the executable's directory followed by the settings file's name.
void FormSettingsFilePath();

// The main routine: forms the settings-file path and chooses the file, takes the files and the
// switch given on the command line, then runs the main window until it closes; or with `/quiet`,
// converts without a window. Returns the exit code.
int _main();

}  // namespace app
