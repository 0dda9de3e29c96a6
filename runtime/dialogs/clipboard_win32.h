// Text put on the clipboard, as the program's windows copy their tables.
#pragma once

#include <functional>

#include "runtime/system/win32_api.h"
#include "runtime/text/text_value.h"

namespace rt {

void PutOnClipboard(HWND owner, const Text& text);

// Hands each piece of a text to `put`, in order, the same pieces each time it is called.
using TextWriter = std::function<void(const std::function<void(TextView)>& put)>;

// A text too large to be built twice, in the one block of memory the clipboard takes: written once
// to measure it and once into that block, on any thread.
class ClipboardText {
 public:
  ClipboardText() = default;
  ~ClipboardText();
  ClipboardText(const ClipboardText&) = delete;
  ClipboardText& operator=(const ClipboardText&) = delete;

  // False when the memory cannot be had; what `write` throws goes on.
  bool Write(const TextWriter& write);

 private:
  friend bool PutOnClipboard(HWND owner, ClipboardText& text);
  HGLOBAL memory_ = nullptr;
};

// On the owner's thread: the text written goes to the clipboard. False when it was not written or the
// clipboard cannot be had.
bool PutOnClipboard(HWND owner, ClipboardText& text);

// Both at once, on the owner's thread.
bool PutOnClipboard(HWND owner, const TextWriter& write);

}  // namespace rt
