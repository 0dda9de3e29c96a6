#include "runtime/system/win32_api.h"
#include "runtime/window/window_state_win32.h"

namespace rt {

FARPROC CommonControlsFunction(const char* name) {
  // By name, as the loader finds a linked library, so that the manifest's version 6 is the one
  // loaded. Not at start: a quiet run and the worker show no control, and under Wine loading the
  // library starts the desktop's process, which they would wait for.
  static const HMODULE library = LoadLibraryW(L"comctl32.dll");
  return library ? GetProcAddress(library, name) : nullptr;
}

void RegisterCommonControls() {
  static const bool registered = [] {
    using Register = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initialize =
        reinterpret_cast<Register>(reinterpret_cast<void*>(CommonControlsFunction("InitCommonControlsEx")));
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    return initialize != nullptr && initialize(&classes) != FALSE;
  }();
  (void)registered;
}

}  // namespace rt
