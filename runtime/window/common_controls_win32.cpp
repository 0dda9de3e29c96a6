#include "runtime/system/win32_api.h"
#include "runtime/window/window_state_win32.h"

namespace rt {

void RegisterCommonControls() {
  static const bool registered = [] {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)registered;
}

}  // namespace rt
