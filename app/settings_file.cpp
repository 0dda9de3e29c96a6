#include "app/settings_file.h"

#include "app/globals.h"
#include "app/start_up.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/system_error.h"
#include "runtime/system/user_files.h"
#include "runtime/window/dialog_services.h"

namespace app {
namespace {

using namespace rt;

inline constexpr char16_t kUserFolder[] = u"Vexilate";
inline constexpr char16_t kNotSaved[] = u"Не удалось сохранить настройки в файле ";
inline constexpr char16_t kMessageCaption[] = u"Внимание!!!";

bool g_toldNotSaved = false;

Text UserSettingsFile() {
  const Text data = UserDataDirectory();
  return data.empty() ? Text() : Concat({data, u"\\", kUserFolder, u"\\", kSettingsFileName});
}

// The system's "access denied" and "write protected": the place is not this user's to write;
// or what is there cannot be kept as settings text and must not be rewritten.
bool Refused(std::uint32_t error) { return error == 5 || error == 19 || error == kNotASettingsFile; }

// From now on the user's own file is written; the one beside the executable gives defaults.
void UseUserFile(const Text& userFile) {
  GLO_STDEFAULTINIFILE = CLIP(GLO_STNAMEINIFILE);
  GLO_STNAMEINIFILE = userFile;
}

bool UsingUserFile() { return TextIsTrue(CLIP(GLO_STDEFAULTINIFILE)); }

// Before the user's file is first written: its folder, and what is beside the executable, so
// that an administrator's defaults are not lost with the first choice.
void PrepareUserFile() {
  const Text userFile = CLIP(GLO_STNAMEINIFILE), defaults = CLIP(GLO_STDEFAULTINIFILE);
  if (IsFile(userFile)) return;
  MakeDirectory(userFile.substr(0, userFile.find_last_of(u'\\')));
  if (!IsFile(defaults)) return;
  for (const TextView key : {TextView(kPathInKey), TextView(kPathOutKey)}) {
    const Text value = GETINI(kSettingsSection, key, u"", defaults);
    if (!value.empty()) SETINI(kSettingsSection, key, value, userFile);
  }
}

}  // namespace

void ChooseSettingsFile() {
  const Text beside = CLIP(GLO_STNAMEINIFILE);
  const Text userFile = UserSettingsFile();
  if (userFile.empty()) return;
  // A user file exists only because a save beside the executable was refused before: the
  // system's answer to whether the place can be written is not always the file system's. A
  // damaged file beside it keeps refusing, and the choice is in the user's file.
  if (!CanWriteFile(beside) || SettingsFileProblem(beside) == kNotASettingsFile ||
      (!IsFile(beside) && IsFile(userFile))) {
    UseUserFile(userFile);
  }
}

Text ReadSetting(TextView key) {
  const Text written = CLIP(GLO_STNAMEINIFILE), defaults = CLIP(GLO_STDEFAULTINIFILE);
  return GETINI(kSettingsSection, key, u"", defaults.empty() || IsFile(written) ? written : defaults);
}

void SaveSetting(TextView key, TextView value) {
  if (UsingUserFile()) PrepareUserFile();
  std::uint32_t error = SETINI(kSettingsSection, key, value, CLIP(GLO_STNAMEINIFILE));
  if (error != 0 && Refused(error) && !UsingUserFile()) {
    if (const Text userFile = UserSettingsFile(); !userFile.empty()) {
      UseUserFile(userFile);
      PrepareUserFile();
      error = SETINI(kSettingsSection, key, value, userFile);
    }
  }
  if (error == 0 || g_toldNotSaved) return;
  g_toldNotSaved = true;
  ShowMessage(Concat({kNotSaved, CLIP(GLO_STNAMEINIFILE), u"|", SystemErrorText(error)}), kMessageCaption, kWarningIcon,
              u"", 0, 1);
}

}  // namespace app
