#include "app/start_up.h"

#include "app/globals.h"
#include "runtime/system/system_services.h"
#include "ui/main_window.h"

namespace app {

rt::Text GETEXECDIR() {
  rt::Text drive, directory, name, extension;
  rt::SplitPath(rt::ExecutablePath(), drive, directory, name, extension);
  return drive + directory;
}

void FormSettingsFilePath() { GLO_STNAMEINIFILE = rt::Concat({rt::CLIP(GETEXECDIR()), kSettingsFileName}); }

void _main() {
  FormSettingsFilePath();
  ui::MAIN();
}

}  // namespace app
