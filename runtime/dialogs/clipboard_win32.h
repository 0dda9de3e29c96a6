// Text put on the clipboard, as the program's windows copy their tables.
#pragma once

#include "runtime/system/win32_api.h"
#include "runtime/text/text_value.h"

namespace rt {

void PutOnClipboard(HWND owner, const Text& text);

}  // namespace rt
