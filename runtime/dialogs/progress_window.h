// A small window that follows a long piece of work: two lines of text, a progress bar and a
// Cancel button. It belongs to the current window, which keeps answering meanwhile.
#pragma once

#include "runtime/process/stop_signal.h"
#include "runtime/text/text_value.h"

namespace rt {

class ProgressWindow;

// Shows it centred on its owner, the current window unless another is given. Cancel (the button,
// Enter or Escape) sets `stop` and disables the button; the work itself decides what that means.
ProgressWindow* OpenProgressWindow(TextView title, TextView cancelCaption, StopSignal& stop, HandleValue owner = 0);

// Steps can follow each other faster than anyone reads: the window is redrawn at most every
// 100 ms, and a step that came in between is drawn when that time is up.
void ShowProgress(ProgressWindow* window, TextView counter, TextView item, LONG done, LONG total);

void CloseProgressWindow(ProgressWindow* window);

}  // namespace rt
