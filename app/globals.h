// The program's globals: one of each for the whole process, on its one thread.
#pragma once

#include <vector>

#include "runtime/system/system_services.h"

namespace app {

inline constexpr std::size_t kPathField = 1000;

extern rt::STRING<kPathField> GLO_PATH;    // current directory when the window opened
extern rt::STRING<kPathField> PATHIN;      // input directory, bound to ?PATHIN
extern rt::STRING<kPathField> PATHOUT;     // output directory, bound to ?PATHOUT
extern rt::STRING<kPathField> FILEIN;      // full path of the chosen input file
extern rt::STRING<kPathField> FILEOUT;     // its file-name part, then the output name
extern rt::STRING<256> GLO_STNAMEINIFILE;  // full path of the settings file the program writes
// The settings beside the executable when the program writes a file of the user's own instead:
// read while that file does not exist yet (an administrator's defaults). Empty otherwise.
extern rt::STRING<256> GLO_STDEFAULTINIFILE;
extern std::vector<rt::Text> FILESGIVEN;  // full paths from the command line, until the window has them
extern bool CONVERTNEW;                   // `/new` was given and its new files are not converted yet

extern rt::LONG REGNUMB;
extern rt::LONG DCK1;
extern rt::LONG DCK2;
extern rt::LONG I;
extern rt::HandleValue HWND;  // owner of the launch; pointer-sized on 64-bit Windows

extern rt::CSTRING<5> ACTION;
extern rt::CSTRING<kPathField> APP;
extern rt::Text PRM;  // passed whole: a cut parameter text would launch a wrong command
extern rt::CSTRING<1> DIRECT;

// Gives every global its initial value.
void InitGlobals();

}  // namespace app
