// Closing the window while conversions of the program's own run.
#pragma once

namespace convert {

// Asked when the window is being closed: while a batch or a built-in conversion runs, whether
// to stop and close, asked once. After "Yes" no result is put in place any more, so an earlier
// output stays, and the temporary files go with the program.
bool MayCloseDuringConversion();

}  // namespace convert
