#include "ui/main_window.h"

#include <utility>

#include "app/globals.h"
#include "app/settings_file.h"
#include "convert/batch/batch_conversion.h"
#include "convert/close_query.h"
#include "convert/conversion_watch.h"
#include "convert/convert_handler.h"
#include "convert/journal/journal_window.h"
#include "convert/journal/new_files_handler.h"
#include "runtime/system/file_facts.h"
#include "runtime/window/dialog_services.h"
#include "runtime/window/file_drop.h"
#include "ui/main_window_definition.h"

namespace ui {
namespace {

using namespace rt;

// Both lookups carry this title, the output one included.
inline constexpr char16_t kLookupTitle[] = u"Выбор директории входящих документов";
inline constexpr char16_t kLookupFilter[] = u"ALL|*.*";

void Remember(FieldSpan field, TextView key) { app::SaveSetting(key, CLIP(TextView(field.data(), field.size()))); }

// Lets the user pick a directory for the field; remembers it only when the user confirms.
void LookupDirectory(FieldSpan field, TextView key) {
  ChangeDirectory(CLIP(TextView(field.data(), field.size())));
  if (TextIsTrue(ERROR())) ChangeDirectory(CLIP(app::GLO_PATH));
  if (PickPath(kLookupTitle, field, kLookupFilter, kPickDirectory)) Remember(field, key);
  ChangeDirectory(CLIP(app::GLO_PATH));
}

// A directory dropped on an entry counts as picked with its lookup button and confirmed;
// anything else dropped is for converting.
void FilesDropped(LONG control) {
  const std::vector<Text> paths = TakeDroppedFiles();
  const bool onEntry = control == control::PATHIN || control == control::PATHOUT;
  if (onEntry && paths.size() == 1 && IsDirectory(paths.front())) {
    const Text& directory = paths.front();
    const bool separated = directory.ends_with(u'\\') || directory.ends_with(u'/');
    FieldSpan field = control == control::PATHIN ? app::PATHIN.field() : app::PATHOUT.field();
    AssignField(field, separated ? directory : Concat({directory, u"\\"}));
    Remember(field, control == control::PATHIN ? app::kPathInKey : app::kPathOutKey);
    return;
  }
  convert::ConvertDroppedFiles(paths);
}

// `/new`: what is new is converted without a question once the files given beside it have been
// taken and no batch runs.
void ConvertNewWhenFree() {
  if (!app::CONVERTNEW || convert::BatchRunning()) return;
  app::CONVERTNEW = false;
  convert::ConvertNewFiles(false);
}

class MainProcedure {
 public:
  void Run() {
    window_ = OpenWindow(MainWindowDefinition(), {app::PATHIN.field(), app::PATHOUT.field()});
    if (!window_) return;
    app::GLO_PATH = CurrentDirectory();
    app::PATHIN = app::ReadSetting(app::kPathInKey);
    app::PATHOUT = app::ReadSetting(app::kPathOutKey);
    if (KEYCODE() == MouseRight) SetKeyCode(0);
    SetCloseQuery(&convert::MayCloseDuringConversion);
    PREPAREPROCEDURE();
    while (NextEvent(0)) {
      DispatchEvent();
      DispatchField();
    }
    PROCEDURERETURN();
  }

 private:
  void PREPAREPROCEDURE() {
    DisplayWindow(window_);
    WINDOWOPENED = 1;
  }

  void INITIALIZEWINDOW() { REFRESHWINDOW(); }

  void REFRESHWINDOW() {
    if (SelectAllPending()) return;
    RedisplayControls(0, 0);
  }

  void PROCEDURERETURN() {
    if (WINDOWOPENED == 1) FlushPaint(window_);
    CloseWindow(window_);
    window_ = nullptr;
  }

  void DispatchEvent() {
    switch (EVENT()) {
      case EVENT_OpenWindow:
        InitialiseOnce();
        // Once the window shows: starting does not wait for OLE.
        AcceptDroppedFiles();
        // Files given on the command line are taken as files dropped on the window.
        SelectControl(control::BUTTONLOOKUPPATHIN, 0, 0);
        if (!app::FILESGIVEN.empty()) {
          DropFiles(std::exchange(app::FILESGIVEN, {}));
        } else {
          ConvertNewWhenFree();
        }
        break;
      case EVENT_GainFocus:
        if (WINDOWINITIALIZED == 0) {
          InitialiseOnce();
        } else {
          REFRESHWINDOW();
        }
        break;
      case EVENT_Dropped:
        FilesDropped(FIELD());
        ConvertNewWhenFree();
        break;
      case EVENT_TaskEnded:
        convert::ConversionsEnded();
        convert::BatchMoved();
        ConvertNewWhenFree();
        break;
      case EVENT_Rejected:
        Beep(150, 16);
        RedisplayControls(FIELD(), 0);
        SelectControl(FIELD(), 0, 0);
        break;
      default:
        break;
    }
  }

  void DispatchField() {
    if (EVENT() != EVENT_Accepted) return;
    switch (FIELD()) {
      case control::BUTTONLOOKUPPATHIN:
        LookupDirectory(app::PATHIN.field(), app::kPathInKey);
        break;
      case control::BUTTONLOOKUPPATHOUT:
        LookupDirectory(app::PATHOUT.field(), app::kPathOutKey);
        break;
      case control::BUTTONCONVERT:
        convert::ConvertHandler();
        break;
      case control::BUTTONNEWFILES:
        convert::ConvertNewFiles(true);
        break;
      case control::BUTTONJOURNAL:
        convert::ShowJournal();
        break;
      default:
        break;  // the entries need nothing; Exit closes through its standard action
    }
  }

  void InitialiseOnce() {
    if (WINDOWINITIALIZED != 0) return;
    INITIALIZEWINDOW();
    WINDOWINITIALIZED = 1;
  }

  Window* window_ = nullptr;
  LONG WINDOWOPENED = 0;
  LONG WINDOWINITIALIZED = 0;
};

}  // namespace

void MAIN() {
  MainProcedure procedure;
  procedure.Run();
}

}  // namespace ui
