#include "runtime/dialogs/status_icons_win32.h"

namespace rt {

HIMAGELIST StatusIcons() {
  static const HIMAGELIST icons = [] {
    const int size = GetSystemMetrics(SM_CXSMICON);
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 5, 0);
    for (const wchar_t* name :
         {L"STATUS_CONVERTED", L"STATUS_FAILED", L"STATUS_REFUSED", L"STATUS_NOT_CONVERTED", L"STATUS_RUNNING"}) {
      auto* icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, LR_SHARED));
      ImageList_AddIcon(list, icon);
    }
    return list;
  }();
  return icons;
}

}  // namespace rt
