#include <algorithm>
#include <exception>
#include <utility>

#include "runtime/dialogs/clipboard_win32.h"
#include "runtime/dialogs/list_window.h"
#include "runtime/dialogs/list_work_win32.h"
#include "runtime/dialogs/message_dialog_win32.h"
#include "runtime/dialogs/progress_window.h"
#include "runtime/dialogs/status_icons_win32.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/number_text.h"
#include "runtime/window/dialog_services.h"
#include "runtime/window/dialog_template_win32.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

constexpr int kNarrowId = 100;
constexpr int kListId = 101;
constexpr int kActionId = 102;
constexpr int kCopyId = 103;
constexpr int kSummaryId = 104;
constexpr int kLabelId = 105;
constexpr int kNoteId = 106;
constexpr UINT_PTR kUpdateTimer = 1;
constexpr UINT kUpdateMilliseconds = 500;
constexpr UINT kBusyMilliseconds = 100;  // rows still being read show as they come
// Copying more rows than this asks first and goes on while the window answers, with its progress:
// it takes a while and a good part of the memory. Fewer are copied at once, as a click expects.
constexpr std::size_t kAskBeforeCopying = 10000;
// Dialog units of the first layout; the window then follows its size.
constexpr short kWidth = 620;
constexpr short kHeight = 260;
constexpr short kMargin = 7;
constexpr short kButtonWidth = 60;
constexpr short kActionWidth = 74;
constexpr short kButtonHeight = 14;
constexpr short kNarrowWidth = 100;
constexpr short kLabelWidth = 62;
constexpr short kNoteHeight = 18;  // two lines of text

class ListWindow {
 public:
  ListWindow(const ListWindowDefinition& definition, std::unique_ptr<ListSource> source)
      : definition_(definition), source_(std::move(source)) {}

  HWND handle = nullptr;

  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND List() const { return GetDlgItem(handle, kListId); }

  void Initialise() {
    RECT window{};
    GetWindowRect(handle, &window);
    minimum_ = {(window.right - window.left) / 2, (window.bottom - window.top) / 2};
    const Text icon(definition_.iconResource);
    for (const auto& [size, which] : {std::pair{SM_CXICON, ICON_BIG}, std::pair{SM_CXSMICON, ICON_SMALL}}) {
      const int pixels = GetSystemMetrics(size);
      SendMessageW(handle, WM_SETICON, static_cast<WPARAM>(which),
                   reinterpret_cast<LPARAM>(
                       LoadImageW(GetModuleHandleW(nullptr), Wide(icon), IMAGE_ICON, pixels, pixels, LR_SHARED)));
    }
    HWND list = List();
    SetUpStatusList(handle, list, definition_.columns);
    Layout();
    source_->Update();
    Reload();
    SetTimer(handle, kUpdateTimer, source_->Busy() ? kBusyMilliseconds : kUpdateMilliseconds, nullptr);
  }

  // The list's label, the check box and the counts on top, the list filling the middle, the buttons
  // below on the right.
  void Layout() {
    RECT client{};
    GetClientRect(handle, &client);
    RECT units{kMargin, kButtonHeight, kButtonWidth, kActionWidth};
    MapDialogRect(handle, &units);
    RECT narrow{kNarrowWidth, 0, kLabelWidth, 0};
    MapDialogRect(handle, &narrow);
    const int label = narrow.right;
    const int margin = units.left, height = units.top, button = units.right, action = units.bottom;
    const int buttonsTop = client.bottom - margin - height;
    RECT note{0, 0, 0, noted_ ? kNoteHeight : 0};
    MapDialogRect(handle, &note);
    const int listTop = 2 * margin + height + (noted_ ? note.bottom + margin : 0);
    auto place = [&](int id, int x, int y, int w, int h) {
      SetWindowPos(GetDlgItem(handle, id), nullptr, x, y, std::max(w, 1), std::max(h, 1), SWP_NOZORDER);
    };
    place(kLabelId, margin, margin, label, height);
    place(kNarrowId, 2 * margin + label, margin, narrow.left, height);
    place(kSummaryId, 3 * margin + label + narrow.left, margin, client.right - 4 * margin - label - narrow.left,
          height);
    place(kNoteId, margin, 2 * margin + height, client.right - 2 * margin, note.bottom);
    place(kListId, margin, listTop, client.right - 2 * margin, buttonsTop - margin - listTop);
    place(IDCANCEL, client.right - margin - button, buttonsTop, button, height);
    place(kCopyId, client.right - 2 * (margin + button), buttonsTop, button, height);
    place(kActionId, client.right - 3 * margin - 2 * button - action, buttonsTop, action, height);
    InvalidateRect(handle, nullptr, TRUE);
  }

  // Every row anew: nothing selected, the newest row on top.
  void Reload() {
    HWND list = List();
    // No row has the focus either: the first key pressed in the list selects one.
    const bool all = AllSelected();
    Deselect(all ? std::vector<std::size_t>() : Selected(), all, Focused());
    shown_ = source_->RowCount();
    ++rowsTaken_;
    SendMessageW(list, LVM_SETITEMCOUNT, shown_, 0);
    if (shown_ > 0) SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    InvalidateRect(list, nullptr, TRUE);
    ShowCounts();
  }

  // The counts, and the note under them, which takes room from the list only while there is one.
  void ShowCounts() {
    SetDlgItemTextW(handle, kSummaryId, Wide(source_->Summary()));
    const Text note = source_->Note();
    SetDlgItemTextW(handle, kNoteId, Wide(note));
    if (noted_ == note.empty()) {
      noted_ = !note.empty();
      ShowWindow(GetDlgItem(handle, kNoteId), noted_ ? SW_SHOW : SW_HIDE);
      Layout();
    }
  }

  // Rows added on top push the others down: the selection and the rows in view go with them.
  void Refresh(ListUpdate update) {
    const std::size_t count = source_->RowCount();
    if (update == ListUpdate::Same) return;
    if (update == ListUpdate::Replaced || count < shown_) return Reload();
    if (count == shown_) return ShowCounts();
    HWND list = List();
    const int added = static_cast<int>(count - shown_);
    const bool all = AllSelected();
    const std::vector<std::size_t> selected = all ? std::vector<std::size_t>() : Selected();
    const int focused = Focused();
    const auto top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    Deselect(selected, false, focused);
    SendMessageW(list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    if (all) SetState(-1, LVIS_SELECTED, LVIS_SELECTED);  // the rows added with them
    for (const std::size_t row : selected) SetState(static_cast<int>(row) + added, LVIS_SELECTED, LVIS_SELECTED);
    if (focused >= 0) SetState(focused + added, LVIS_FOCUSED, LVIS_FOCUSED);
    if (top > 0) {
      RECT row{LVIR_BOUNDS, 0, 0, 0};
      SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
      SendMessageW(list, LVM_SCROLL, 0, added * (row.bottom - row.top));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    shown_ = count;
    ShowCounts();
  }

  void SetState(int row, UINT state, UINT mask) const {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }

  int Focused() const {
    return static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  }

  bool AllSelected() const {
    const auto selected = static_cast<std::size_t>(SendMessageW(List(), LVM_GETSELECTEDCOUNT, 0, 0));
    return selected > 0 && selected >= shown_;
  }

  // Row by row: for "every row" (-1) the list view visits each row of the list, which a list of
  // millions makes take seconds; only when all of them are selected is that the shorter way.
  void Deselect(const std::vector<std::size_t>& selected, bool all, int focused) const {
    if (all) SetState(-1, 0, LVIS_SELECTED);
    for (const std::size_t row : selected) SetState(static_cast<int>(row), 0, LVIS_SELECTED);
    if (focused >= 0) SetState(focused, 0, LVIS_FOCUSED);
  }

  std::vector<std::size_t> Selected() const {
    std::vector<std::size_t> rows;
    HWND list = List();
    for (auto row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
         row >= 0;
         row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) {
      rows.push_back(static_cast<std::size_t>(row));
    }
    return rows;
  }

  void Update() {
    Refresh(source_->Update());
    if (copy_ && copyProgress_) {
      if (copyStop_.IsSet()) copy_->Stop();
      ShowProgress(copyProgress_, Concat({definition_.copyProgressCount, DecimalText(copy_->Rows())}), u"",
                   static_cast<LONG>(copy_->Done() / 2), static_cast<LONG>(copy_->Rows() + 1));
    }
    SetTimer(handle, kUpdateTimer, source_->Busy() || copy_ ? kBusyMilliseconds : kUpdateMilliseconds, nullptr);
  }

  LONG Tell(TextView text, TextView icon, TextView buttons = u"") const {
    return ShowMessageOver(handle, text, definition_.title, icon, buttons, BUTTON_YES, 0);
  }

  // The selected rows, or every row when none or all are: those are asked of the source as a whole
  // rather than row by row. Asks first when they are many, and when they are more than a spreadsheet
  // takes offers the newest; many are copied on a thread of their own, with progress and Cancel. A
  // clipboard or memory that cannot be had is told.
  void Copy() {
    if (copy_) {  // one at a time: its progress is in view
      MessageBeep(MB_OK);
      return;
    }
    const std::size_t count = source_->RowCount();
    const auto selected = static_cast<std::size_t>(SendMessageW(List(), LVM_GETSELECTEDCOUNT, 0, 0));
    std::vector<std::size_t> rows = selected == 0 || selected >= count ? std::vector<std::size_t>() : Selected();
    std::unique_ptr<ListRows> taken = source_->Rows();  // as they are now, whatever comes while it asks
    const std::size_t copied = rows.empty() ? count : rows.size();
    const bool narrowed = IsDlgButtonChecked(handle, kNarrowId) == BST_CHECKED;
    const Text question =
        copied > definition_.copyMost ? definition_.copyTooManyQuestion(copied, definition_.copyMost, narrowed)
        : copied > kAskBeforeCopying  ? Concat({definition_.copyManyQuestion, DecimalText(copied), u"?"})
                                      : Text();
    if (!question.empty() && Tell(question, kInformationIcon, DecimalText(BUTTON_YES | BUTTON_NO)) != BUTTON_YES) {
      return;
    }
    copyStop_.Reset();
    copy_ = std::make_unique<RowsCopy>(handle, std::move(taken), std::move(rows), definition_.copyMost);
    if (copied <= kAskBeforeCopying) return EndCopy();
    copyProgress_ = OpenProgressWindow(definition_.copyProgressTitle, definition_.cancelCaption, copyStop_,
                                       reinterpret_cast<HandleValue>(handle));
    Update();
  }

  // On the window's thread: what was written goes to the clipboard, unless it was cancelled; the
  // progress shows until it is there.
  void EndCopy() {
    const std::unique_ptr<RowsCopy> copy = std::move(copy_);
    const bool put = copy->Put(handle);
    CloseProgressWindow(std::exchange(copyProgress_, nullptr));
    if (!put && !copyStop_.IsSet()) Tell(definition_.copyFailed, kWarningIcon);
  }

  // The next row from where the list starts looking, round to the top, whose first column starts
  // with what was typed, any case: looked for on a thread of its own, the list told nothing found
  // meanwhile. Each key typed looks again, and the search before it is given up.
  int Find(const NMLVFINDITEMW& find) {
    const std::size_t count = source_->RowCount();
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz || count == 0) return -1;
    const std::size_t start = find.iStart > 0 ? static_cast<std::size_t>(find.iStart) % count : 0;
    search_.reset();
    search_ = std::make_unique<RowSearch>(handle, source_->Rows(), start, FromWide(find.lvfi.psz));
    searchTaken_ = rowsTaken_;
    return -1;
  }

  // The row found, alone selected, focused and in view, as the list shows what it finds itself;
  // rows added on top since push it down, and when the rows were taken anew it is lost.
  void EndSearch() {
    const std::unique_ptr<RowSearch> search = std::move(search_);
    const std::optional<std::size_t> found = search->Found();
    if (!found || searchTaken_ != rowsTaken_ || shown_ < search->Rows()) return;
    const std::size_t row = *found + (shown_ - search->Rows());
    const bool all = AllSelected();
    Deselect(all ? std::vector<std::size_t>() : Selected(), all, Focused());
    SetState(static_cast<int>(row), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(List(), LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(row));
    SendMessageW(List(), LVM_ENSUREVISIBLE, row, FALSE);
  }

  // A copy or a search has ended.
  void WorkEnded() {
    if (copy_ && copy_->Ended()) EndCopy();
    if (search_ && search_->Ended()) EndSearch();
  }

  void Key(WORD key) {
    if (GetKeyState(VK_CONTROL) >= 0) return;
    if (key == 'C') Copy();
    if (key == 'A') SetState(-1, LVIS_SELECTED, LVIS_SELECTED);
  }

  void Act() {
    HWND list = List();
    const auto row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0) {
      MessageBeep(MB_OK);
      return;
    }
    source_->Act(static_cast<std::size_t>(row));
  }

  // The list asks for what it draws, a cell at a time.
  void GiveItem(LVITEMW& item) const {
    const auto row = static_cast<std::size_t>(item.iItem);
    if (item.iItem < 0 || row >= source_->RowCount()) return;
    if (item.mask & LVIF_IMAGE) item.iImage = StatusIconIndex(source_->Status(row));
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0) return;
    const std::vector<Text> cells = source_->Cells(row);
    const auto column = static_cast<std::size_t>(item.iSubItem);
    const TextView text = column < cells.size() ? TextView(cells[column]) : TextView();
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
    std::copy_n(text.data(), length, reinterpret_cast<char16_t*>(item.pszText));
    item.pszText[length] = L'\0';
  }

  INT_PTR Notify(const NMHDR& header, LPARAM lParam) {
    if (header.idFrom != kListId) return FALSE;
    switch (header.code) {
      case LVN_GETDISPINFOW:
        GiveItem(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
        return TRUE;
      case LVN_ODFINDITEMW:
        SetWindowLongPtrW(handle, DWLP_MSGRESULT, Find(*reinterpret_cast<const NMLVFINDITEMW*>(lParam)));
        return TRUE;
      case LVN_KEYDOWN:
        Key(reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey);
        return FALSE;
      case NM_DBLCLK:
        if (reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem >= 0) Act();
        return TRUE;
      default:
        return FALSE;
    }
  }

  void Command(int id, int code) {
    switch (id) {
      case kNarrowId:
        if (code != BN_CLICKED) return;
        source_->Narrow(IsDlgButtonChecked(handle, kNarrowId) == BST_CHECKED);
        return Reload();
      case kCopyId:
        return Copy();
      case kActionId:
      case IDOK:  // Enter
        return Act();
      case IDCANCEL:
        DestroyWindow(handle);
        return;
      default:
        return;
    }
  }

  ListWindowDefinition definition_;
  std::unique_ptr<ListSource> source_;
  SIZE minimum_{};
  std::size_t shown_ = 0;      // rows the list holds
  std::size_t rowsTaken_ = 0;  // how often the rows were taken anew (replaced, narrowed)
  bool noted_ = false;         // the note shows
  bool telling_ = false;       // an error is being told: one more meanwhile is not
  std::unique_ptr<RowsCopy> copy_;
  ProgressWindow* copyProgress_ = nullptr;
  StopSignal copyStop_;  // its Cancel
  std::unique_ptr<RowSearch> search_;
  std::size_t searchTaken_ = 0;  // rowsTaken_ when it began
};

ListWindow* g_open = nullptr;

INT_PTR CALLBACK ListWindow::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<ListWindow*>(lParam)->handle = dialog;
  }
  auto* self = reinterpret_cast<ListWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  // Nothing that goes wrong in the window, however large its list, ends the program: it is told.
  try {
    return self->Handle(message, wParam, lParam);
  } catch (const std::exception&) {
    if (!self->telling_) {
      self->telling_ = true;
      self->Tell(self->definition_.failed, kWarningIcon);
      self->telling_ = false;
    }
    return FALSE;
  }
}

INT_PTR ListWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return TRUE;  // the focus goes to the first control, the list
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum_.cx, minimum_.cy};
      return TRUE;
    case WM_TIMER:
      if (wParam == kUpdateTimer) Update();
      return TRUE;
    case WM_NOTIFY:
      return Notify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(handle);
      return TRUE;
    case kListWorkEnded:
      WorkEnded();
      return TRUE;
    case WM_DESTROY:
      KillTimer(handle, kUpdateTimer);
      // Work on the rows is given up with the window.
      search_.reset();
      copy_.reset();
      CloseProgressWindow(std::exchange(copyProgress_, nullptr));
      RemoveModelessDialog(handle);
      SetWindowLongPtrW(handle, DWLP_USER, 0);
      g_open = nullptr;
      delete this;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void OpenListWindow(const ListWindowDefinition& definition, std::unique_ptr<ListSource> source) {
  if (g_open) {
    if (IsIconic(g_open->handle)) ShowWindow(g_open->handle, SW_RESTORE);
    SetForegroundWindow(g_open->handle);
    return;
  }
  RegisterCommonControls();
  DialogTemplate dialog(
      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_CENTER,
      definition.title, kWidth, kHeight, u"MS Shell Dlg", 8, FW_NORMAL);
  // The list's label first (its letter goes to the list), then the list, with the focus; Tab goes on
  // to the buttons, then to the check box.
  dialog.AddControl(kLabelId, ControlClass::Static, SS_LEFT | SS_CENTERIMAGE | WS_VISIBLE, definition.listLabel, 0, 0,
                    1, 1);
  dialog.AddControl(
      kListId, u"SysListView32",
      WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, u"",
      0, 0, 1, 1);
  dialog.AddControl(kActionId, ControlClass::Button, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP, definition.actionCaption,
                    0, 0, 1, 1);
  dialog.AddControl(kCopyId, ControlClass::Button, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP, definition.copyCaption, 0,
                    0, 1, 1);
  dialog.AddControl(IDCANCEL, ControlClass::Button, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP, definition.closeCaption, 0,
                    0, 1, 1);
  dialog.AddControl(kNarrowId, ControlClass::Button, BS_AUTOCHECKBOX | WS_VISIBLE | WS_TABSTOP,
                    definition.narrowCaption, 0, 0, 1, 1);
  dialog.AddControl(kSummaryId, ControlClass::Static, SS_LEFT | SS_CENTERIMAGE | WS_VISIBLE, u"", 0, 0, 1, 1);
  dialog.AddControl(kNoteId, ControlClass::Static, SS_LEFT | SS_NOPREFIX, u"", 0, 0, 1, 1);
  auto* window = new ListWindow(definition, std::move(source));
  // Not owned by the current window, which would then always stay behind it.
  window->handle = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, &ListWindow::Procedure,
                                              reinterpret_cast<LPARAM>(window));
  if (!window->handle) {
    delete window;
    return;
  }
  g_open = window;
  AddModelessDialog(window->handle);
  ShowWindow(window->handle, SW_SHOW);
}

}  // namespace rt
