// Text put on the clipboard, as the program's windows copy their tables.
#pragma once

#include <functional>

#include "runtime/system/win32_api.h"
#include "runtime/text/text_value.h"

namespace rt {

void PutOnClipboard(HWND owner, const Text& text);

// Hands each piece of a text to `put`, in order, the same pieces each time it is called.
using TextWriter = std::function<void(const std::function<void(TextView)>& put)>;

// A text too large to be built twice: written once to measure it and once into the clipboard's own
// memory. False when that memory or the clipboard cannot be had.
bool PutOnClipboard(HWND owner, const TextWriter& write);

}  // namespace rt
