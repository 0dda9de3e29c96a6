// Whether a static icon control of another process shows a given system icon.
//
// On Windows the system icons are shared handles, so STM_GETICON answers with the very handle
// LoadIconW(nullptr, IDI_...) gives here. Under Wine icon handles belong to their process:
// the numbers differ and GetIconInfo refuses a foreign one. The last resort is the control's
// pixels on the screen against the icon drawn here over the same background.
#pragma once

#include <string>

#include "tests/driver/window_driver.h"

namespace driver {

struct IconCheck {
  bool matches = false;
  std::wstring method;  // "same handle", "same image" or "same pixels on the screen"
  std::wstring detail;  // what was found different, for a failure message
};

// `systemIcon` is IDI_EXCLAMATION or another IDI_ value. A mismatch is retried for up to
// `settle` so that a dialog that has just appeared can paint itself.
IconCheck CompareWithSystemIcon(const Window& iconControl, const wchar_t* systemIcon, Timeout settle = Timeout{2000});

}  // namespace driver
