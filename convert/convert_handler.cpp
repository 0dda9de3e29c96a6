#include "convert/convert_handler.h"

#include "app/globals.h"
#include "convert/conversion_messages.h"
#include "convert/conversion_rules.h"
#include "convert/conversion_watch.h"
#include "runtime/dialog_services.h"
#include "runtime/file_facts.h"
#include "runtime/program_launch.h"
#include "ui/main_window_definition.h"

namespace convert {
namespace {

using namespace rt;
using namespace app;

// Every failure is told the same way: a system-modal warning with one OK button, then the
// focus goes where the user should act next.
void Warn(TextView text, LONG focus) {
  ShowMessage(text, kMessageCaption, kWarningIcon, u"", 0, 1);
  SelectControl(focus, 0, 0);
}

}  // namespace

void ConvertHandler() {
  if (!TextIsTrue(CLIP(PATHIN))) return Warn(kEnterInputPath, ui::control::BUTTONLOOKUPPATHIN);
  if (!TextIsTrue(CLIP(PATHOUT))) return Warn(kEnterOutputPath, ui::control::BUTTONLOOKUPPATHOUT);

  // The dialog starts in the input directory, or where the program started when that fails.
  ChangeDirectory(CLIP(PATHIN));
  if (TextIsTrue(ERROR())) ChangeDirectory(CLIP(GLO_PATH));
  const LONG chosen = PickPath(kFileDialogTitle, FILEIN.field(), kFileFilter, kPickExplorer);
  const bool tooLong = !chosen && ERRORCODE() == kNameTooLong;
  ChangeDirectory(CLIP(GLO_PATH));  // the launched processor resolves its names here
  if (tooLong) return Warn(PathTooLongMessage(FILEIN.kSize), ui::control::BUTTONCONVERT);
  if (!chosen) return Warn(kNoFileChosen, ui::control::BUTTONCONVERT);

  I = LastSeparator(FILEIN);
  FILEOUT = FileNamePart(FILEIN);
  const NameFields fields = ReadNameFields(FILEOUT);
  REGNUMB = fields.REGNUMB;
  DCK1 = fields.DCK1;
  DCK2 = fields.DCK2;
  switch (CheckNameFields(fields)) {
    case NameProblem::RegistrationNumber:
      return Warn(kNoRegistrationNumber, ui::control::BUTTONCONVERT);
    case NameProblem::BatchNumber:
      return Warn(kWrongBatchNumber, ui::control::BUTTONCONVERT);
    case NameProblem::None:
      break;
  }

  FILEOUT = OutputName(fields);
  HWND = WindowHandle();
  APP = kProcessorProgram;
  PRM = ParameterText(FILEIN, PATHOUT, FILEOUT);
  // Resolved now, against the directory the processor starts in.
  StartedConversion started{FileNamePart(FILEIN), FullPath(OutputPath(PATHOUT, FILEOUT)), FileTimeNow()};
  const LaunchResult launch = LaunchProgram(HWND, ACTION, APP, PRM, DIRECT, kShowMaximized);
  if (!launch.started) return Warn(LaunchFailedMessage(launch.errorText), ui::control::BUTTONCONVERT);
  WatchConversion(launch.process, std::move(started));
}

}  // namespace convert
