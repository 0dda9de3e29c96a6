// The status icons of rows as an image list for a list view, in the order of RowStatus, and the
// list views of the program's windows that show them.
#pragma once

#include <span>

#include "runtime/dialogs/report_window.h"
#include "runtime/dialogs/row_status.h"
#include "runtime/system/win32_api.h"

namespace rt {

// Made on first use from the executable's icons and kept while the program runs.
HIMAGELIST StatusIcons();

inline int StatusIconIndex(RowStatus status) { return static_cast<int>(status); }

// Full-row selection, the status icons and the columns, their widths in the dialog's units.
void SetUpStatusList(HWND dialog, HWND list, std::span<const ReportColumn> columns);

}  // namespace rt
