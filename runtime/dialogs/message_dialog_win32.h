// The program's message dialog over a window of the caller's choice, for a window of its own beside
// the current window (which ShowMessage takes as the owner).
#pragma once

#include "runtime/system/win32_api.h"
#include "runtime/text/text_value.h"

namespace rt {

// As ShowMessage, owned by `owner`, which it keeps disabled while it shows.
LONG ShowMessageOver(HWND owner, TextView text, TextView caption, TextView icon, TextView buttons, LONG defaultButton,
                     LONG modal, TextView retryCaption = {});

}  // namespace rt
