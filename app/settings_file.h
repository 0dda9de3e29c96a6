// Where the two remembered directories are kept: beside the executable when this user can write
// there (portable use, the ZIP), otherwise in a file of his own, %APPDATA%\Vexilate\Vexilate.INI
// (an installation in Program Files), with the same section and keys.
#pragma once

#include "runtime/text/text_value.h"

namespace app {

inline constexpr char16_t kSettingsSection[] = u"Paths";
inline constexpr char16_t kPathInKey[] = u"PathIn";
inline constexpr char16_t kPathOutKey[] = u"PathOut";

// Called once GLO_STNAMEINIFILE names the file beside the executable: keeps it when the user can
// write it and it is text, otherwise names the user's own file there and keeps the first in
// GLO_STDEFAULTINIFILE.
void ChooseSettingsFile();

// Reads an entry: from the file the program writes, or while it does not exist, from the
// defaults beside the executable.
rt::Text ReadSetting(rt::TextView key);

// Writes an entry. When the file beside the executable turns out not to be writable, or cannot
// be used as settings text, the user's own file takes over. A save that fails all the same is
// told once, with the file and the reason.
void SaveSetting(rt::TextView key, rt::TextView value);

}  // namespace app
