// The status icons of rows as an image list for a list view, in the order of RowStatus.
#pragma once

#include "runtime/dialogs/row_status.h"
#include "runtime/system/win32_api.h"

namespace rt {

// Made on first use from the executable's icons and kept while the program runs.
HIMAGELIST StatusIcons();

inline int StatusIconIndex(RowStatus status) { return static_cast<int>(status); }

}  // namespace rt
