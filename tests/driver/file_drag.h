// Files dragged with the mouse onto another program's window, through OLE drag and drop as
// Explorer does it: the only way a drop crosses processes (WM_DROPFILES does not).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/driver/window_driver.h"

namespace driver {

// Drags the files from a window of the test's own onto the screen point, as a person drags
// them from Explorer: press, move in steps, release. Returns the drop effect the target
// chose. DriverError when the drag cannot be started, never sees the release, or is not
// accepted (the DoDragDrop result says so).
DWORD DragFilesOnto(POINT screenPoint, const std::vector<std::wstring>& files);

// The screen point at the centre of a window.
POINT CentreOf(const Window& window);

}  // namespace driver
