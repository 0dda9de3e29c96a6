// Closing the window while conversions of the program's own run.
#pragma once

namespace convert {

// Asked when the window is being closed: while a batch or a built-in conversion runs, whether
// to stop and close, asked once. "Yes" ends them all before it returns: an earlier output
// stays, and no temporary file is left. When the window may close, what has not been journaled
// yet is, a processor still running as launched.
bool MayCloseDuringConversion();

}  // namespace convert
