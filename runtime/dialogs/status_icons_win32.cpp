#include "runtime/dialogs/status_icons_win32.h"

#include "runtime/window/window_state_win32.h"

namespace rt {

HIMAGELIST StatusIcons() {
  static const HIMAGELIST icons = [] {
    using Create = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
    using ReplaceIcon = int(WINAPI*)(HIMAGELIST, int, HICON);
    const auto create = reinterpret_cast<Create>(reinterpret_cast<void*>(CommonControlsFunction("ImageList_Create")));
    const auto replace =
        reinterpret_cast<ReplaceIcon>(reinterpret_cast<void*>(CommonControlsFunction("ImageList_ReplaceIcon")));
    if (create == nullptr || replace == nullptr) return HIMAGELIST{};
    const int size = GetSystemMetrics(SM_CXSMICON);
    HIMAGELIST list = create(size, size, ILC_COLOR32 | ILC_MASK, 5, 0);
    for (const wchar_t* name :
         {L"STATUS_CONVERTED", L"STATUS_FAILED", L"STATUS_REFUSED", L"STATUS_NOT_CONVERTED", L"STATUS_RUNNING"}) {
      auto* icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, LR_SHARED));
      replace(list, -1, icon);  // -1: added at the end
    }
    return list;
  }();
  return icons;
}

void SetUpStatusList(HWND dialog, HWND list, std::span<const ReportColumn> columns) {
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(StatusIcons()));
  int index = 0;
  for (const ReportColumn& column : columns) {
    RECT width{0, 0, column.width, 0};
    MapDialogRect(dialog, &width);
    Text title(column.title);
    LVCOLUMNW spec{};
    spec.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    spec.cx = width.right;
    spec.pszText = reinterpret_cast<wchar_t*>(title.data());
    spec.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&spec));
  }
}

}  // namespace rt
