#include <algorithm>

#include "runtime/dialogs/clipboard_win32.h"
#include "runtime/dialogs/report_window.h"
#include "runtime/dialogs/status_icons_win32.h"
#include "runtime/system/win32_api.h"
#include "runtime/window/dialog_template_win32.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

constexpr int kSummaryId = 100;
constexpr int kListId = 101;
constexpr int kDetailsId = 102;
constexpr int kCopyId = 103;
// Dialog units of the first layout; the window then follows its size.
constexpr short kWidth = 560;
constexpr short kHeight = 250;
constexpr short kMargin = 7;
constexpr short kButtonWidth = 60;
constexpr short kButtonHeight = 14;
constexpr short kDetailsHeight = 48;

struct Report {
  const ReportDefinition& definition;
  const ReportContent& content;
  SIZE minimum{};
};

// Summary on top, the list filling the middle, the selected row's text and the buttons below.
void Layout(HWND dialog) {
  RECT client{};
  GetClientRect(dialog, &client);
  RECT units{kMargin, kButtonHeight, kButtonWidth, kDetailsHeight};
  MapDialogRect(dialog, &units);
  const int margin = units.left, buttonHeight = units.top, buttonWidth = units.right, detailsHeight = units.bottom;
  const int width = client.right - 2 * margin;
  const int buttonsTop = client.bottom - margin - buttonHeight;
  const int detailsTop = buttonsTop - margin - detailsHeight;
  const int listTop = 2 * margin + buttonHeight / 2 + margin;
  auto place = [&](int id, int x, int y, int w, int h) {
    SetWindowPos(GetDlgItem(dialog, id), nullptr, x, y, std::max(w, 1), std::max(h, 1), SWP_NOZORDER);
  };
  place(kSummaryId, margin, margin, width, buttonHeight);
  place(kListId, margin, listTop, width, detailsTop - margin - listTop);
  place(kDetailsId, margin, detailsTop, width, detailsHeight);
  place(IDOK, client.right - margin - buttonWidth, buttonsTop, buttonWidth, buttonHeight);
  place(kCopyId, client.right - 2 * (margin + buttonWidth), buttonsTop, buttonWidth, buttonHeight);
  InvalidateRect(dialog, nullptr, TRUE);
}

void Fill(HWND dialog, const Report& report) {
  HWND list = GetDlgItem(dialog, kListId);
  SetUpStatusList(dialog, list, report.definition.columns);
  // Drawn once, when all rows are in.
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_SETITEMCOUNT, report.content.rows.size(), 0);
  int row = 0;
  for (const std::vector<Text>& cells : report.content.rows) {
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
      Text text = cells[cell];
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.iSubItem = static_cast<int>(cell);
      item.pszText = reinterpret_cast<wchar_t*>(text.data());
      if (cell == 0 && static_cast<std::size_t>(row) < report.content.statuses.size()) {
        item.mask |= LVIF_IMAGE;
        item.iImage = StatusIconIndex(report.content.statuses[static_cast<std::size_t>(row)]);
      }
      SendMessageW(list, cell == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, cell == 0 ? 0 : static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
    }
    ++row;
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  SetDlgItemTextW(dialog, kSummaryId, Wide(report.content.summary));
  if (row > 0) {
    LVITEMW first{};
    first.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    first.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
  }
}

INT_PTR CALLBACK ReportProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  const auto* report = reinterpret_cast<Report*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!report) return FALSE;
  switch (message) {
    case WM_INITDIALOG: {
      RECT window{};
      GetWindowRect(dialog, &window);
      reinterpret_cast<Report*>(lParam)->minimum = {(window.right - window.left) / 2, (window.bottom - window.top) / 2};
      Layout(dialog);
      Fill(dialog, *report);
      SetFocus(GetDlgItem(dialog, kListId));
      return FALSE;
    }
    case WM_SIZE:
      Layout(dialog);
      return TRUE;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {report->minimum.cx, report->minimum.cy};
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const NMLISTVIEW*>(lParam);
      if (notice->hdr.idFrom == kListId && notice->hdr.code == LVN_ITEMCHANGED && (notice->uNewState & LVIS_SELECTED) &&
          notice->iItem >= 0 && static_cast<std::size_t>(notice->iItem) < report->content.details.size()) {
        Text details = report->content.details[static_cast<std::size_t>(notice->iItem)];
        SetDlgItemTextW(dialog, kDetailsId, Wide(details));
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kCopyId:
          PutOnClipboard(dialog, report->content.table);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

void ShowReport(const ReportDefinition& definition, const ReportContent& content) {
  RegisterCommonControls();
  Report report{definition, content};
  DialogTemplate dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | DS_CENTER,
                        definition.title, kWidth, kHeight, u"MS Shell Dlg", 8, FW_NORMAL);
  dialog.AddControl(kSummaryId, ControlClass::Static, SS_LEFT | WS_VISIBLE, u"", 0, 0, 1, 1);
  dialog.AddControl(
      kListId, u"SysListView32",
      WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, u"",
      0, 0, 1, 1);
  dialog.AddControl(kDetailsId, ControlClass::Edit,
                    WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, u"",
                    0, 0, 1, 1);
  dialog.AddControl(kCopyId, ControlClass::Button, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP, definition.copyCaption, 0,
                    0, 1, 1);
  dialog.AddControl(IDOK, ControlClass::Button, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP, definition.closeCaption, 0,
                    0, 1, 1);
  OwnModalDialog ownDialog;
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), CurrentWindowHandle(), &ReportProcedure,
                          reinterpret_cast<LPARAM>(&report));
}

}  // namespace rt
