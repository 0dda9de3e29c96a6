// A resizable window that reports on many items at once: a summary line, a list with a row
// per item and its status icon, the full text of the selected row, a button that copies the table, and Close.
#pragma once

#include <span>
#include <vector>

#include "runtime/dialogs/row_status.h"
#include "runtime/text/text_value.h"

namespace rt {

struct ReportColumn {
  TextView title;
  int width;  // dialog units
};

struct ReportDefinition {
  TextView title;
  TextView copyCaption;
  TextView closeCaption;
  std::span<const ReportColumn> columns;
};

struct ReportContent {
  Text summary;
  std::vector<std::vector<Text>> rows;  // a text per column
  std::vector<RowStatus> statuses;      // per row, its icon
  std::vector<Text> details;            // per row: what the selected row shows in full
  Text table;                           // what Copy puts on the clipboard
};

// Modal: returns when the user has closed it (Close, Enter or Escape).
void ShowReport(const ReportDefinition& definition, const ReportContent& content);

}  // namespace rt
