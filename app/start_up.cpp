#include "app/start_up.h"

#include <utility>

#include "app/globals.h"
#include "app/settings_file.h"
#include "convert/journal/conversion_journal.h"
#include "convert/quiet_conversion.h"
#include "convert/rules/conversion_messages.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/system_services.h"
#include "runtime/text/command_line.h"
#include "ui/main_window.h"

namespace app {

rt::Text GETEXECDIR() {
  rt::Text drive, directory, name, extension;
  rt::SplitPath(rt::ExecutablePath(), drive, directory, name, extension);
  return drive + directory;
}

void FormSettingsFilePath() { GLO_STNAMEINIFILE = rt::Concat({rt::CLIP(GETEXECDIR()), kSettingsFileName}); }

namespace {

int StartQuietRun(convert::RunRequest request) {
  rt::NoSystemErrorDialogs();
  for (rt::Text& path : request.paths) path = rt::FullPath(path);
  // The Task Scheduler starts a program in the system folder: the run then works where the program
  // lies, as a double-click would, when the stylesheet is there and not here.
  if (!rt::IsFile(convert::kStylesheet) && rt::IsFile(rt::Concat({GETEXECDIR(), convert::kStylesheet}))) {
    rt::ChangeDirectory(GETEXECDIR());
  }
  GLO_PATH = rt::CurrentDirectory();
  PATHIN = ReadSetting(kPathInKey);
  PATHOUT = ReadSetting(kPathOutKey);
  return convert::RunQuietly(request);
}

}  // namespace

int _main() {
  FormSettingsFilePath();
  ChooseSettingsFile();
  if (convert::RunRequest request = convert::ReadRunRequest(rt::ProgramArguments()); request.quiet) {
    return StartQuietRun(std::move(request));
  }
  // Made full against the directory the program was started in, before anything moves it.
  for (const rt::Text& argument : rt::ProgramArguments()) {
    if (rt::IsSwitch(argument, kNewFilesSwitch)) {
      CONVERTNEW = true;
    } else {
      FILESGIVEN.push_back(rt::FullPath(argument));
    }
  }
  convert::MoveWaitingJournalLines();
  ui::MAIN();
  return 0;
}

}  // namespace app
