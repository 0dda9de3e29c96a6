// The main window procedure.
#pragma once

namespace ui {

// Opens the main window, runs its event loop and returns when the window has closed.
void MAIN();

}  // namespace ui
