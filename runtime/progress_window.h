// A small window that follows a long piece of work: two lines of text, a progress bar and a
// Cancel button. It belongs to the current window, which keeps answering meanwhile.
#pragma once

#include <atomic>

#include "runtime/text_value.h"

namespace rt {

class ProgressWindow;

// Shows it centred on the current window. Cancel (the button, Enter or Escape) sets
// `cancelled` and disables the button; the work itself decides what that means.
ProgressWindow* OpenProgressWindow(TextView title, TextView cancelCaption, std::atomic<bool>& cancelled);

void ShowProgress(ProgressWindow* window, TextView counter, TextView item, LONG done, LONG total);

void CloseProgressWindow(ProgressWindow* window);

}  // namespace rt
