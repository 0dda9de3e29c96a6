#include <utility>

#include "runtime/system/system_library_win32.h"
#include "runtime/system/win32_api.h"
#include "runtime/window/dialog_services.h"
#include "runtime/window/file_drop.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

using ReleaseFunction = void(WINAPI*)(STGMEDIUM*);

std::vector<Text> g_dropped;  // the window's thread alone touches it

FORMATETC FileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool OffersFiles(IDataObject* data) {
  FORMATETC format = FileListFormat();
  return data && data->QueryGetData(&format) == S_OK;
}

std::vector<Text> FilesOf(HDROP drop) {
  using QueryFunction = UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT);
  // Only a drop needs the shell: it is loaded then, not when the program starts.
  const auto query = LoadSystemFunction<QueryFunction>(L"shell32.dll", "DragQueryFileW");
  std::vector<Text> files;
  if (!query) return files;
  const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = query(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    const UINT copied = query(drop, i, path.data(), length + 1);
    if (copied > 0) files.push_back(FromWide(path.c_str(), copied));
  }
  return files;
}

// The number of the window's control under the screen point, 0 elsewhere; the window checks
// that the number is one of its controls.
LONG ControlUnder(HWND window, POINTL screenPoint) {
  POINT point{screenPoint.x, screenPoint.y};
  ScreenToClient(window, &point);
  HWND child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE);
  if (!child || child == window) return 0;
  const int id = GetDlgCtrlID(child);
  return id > kControlIdBase ? id - kControlIdBase : 0;
}

// Registered on the current window. The calls come on the window's thread, from its own
// message loop, while the dragging program waits for each answer.
class DropTarget final : public IDropTarget {
 public:
  explicit DropTarget(HWND window) : window_(window) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
      *object = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    offersFiles_ = OffersFiles(data);
    return Answer(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override { return Answer(effect); }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    offersFiles_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
    offersFiles_ = OffersFiles(data);
    if (Answer(effect) != S_OK || *effect == DROPEFFECT_NONE) return S_OK;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    std::vector<Text> files;
    if (medium.tymed == TYMED_HGLOBAL) files = FilesOf(static_cast<HDROP>(medium.hGlobal));
    if (const auto release = LoadSystemFunction<ReleaseFunction>(L"ole32.dll", "ReleaseStgMedium")) release(&medium);
    if (files.empty()) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    g_dropped = std::move(files);
    // The application hears of it from its own loop: the dragging program is waiting on us.
    PostMessageW(window_, kFilesDroppedMessage, static_cast<WPARAM>(ControlUnder(window_, point)), 0);
    return S_OK;
  }

 private:
  ~DropTarget() = default;

  // Copy when the data holds files and the window takes input (not under a modal dialog).
  HRESULT Answer(DWORD* effect) const {
    if (!effect) return E_INVALIDARG;
    const bool takes = offersFiles_ && (*effect & DROPEFFECT_COPY) && IsWindowEnabled(window_);
    *effect = takes ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  HWND window_;
  ULONG references_ = 1;
  bool offersFiles_ = false;
};

}  // namespace

bool AcceptDroppedFiles() {
  using InitialiseFunction = HRESULT(WINAPI*)(LPVOID);
  using RegisterFunction = HRESULT(WINAPI*)(HWND, IDropTarget*);
  HWND window = CurrentWindowHandle();
  if (!window) return false;
  // OLE is loaded here, not at start-up. Once for the thread, which stays in the apartment
  // until the process ends.
  const auto initialise = LoadSystemFunction<InitialiseFunction>(L"ole32.dll", "OleInitialize");
  const auto registerTarget = LoadSystemFunction<RegisterFunction>(L"ole32.dll", "RegisterDragDrop");
  static const bool oleReady = initialise && registerTarget && SUCCEEDED(initialise(nullptr));
  if (!oleReady) return false;
  auto* target = new DropTarget(window);
  const HRESULT registered = registerTarget(window, target);
  target->Release();  // the registration holds it from now on
  return registered == S_OK || registered == DRAGDROP_E_ALREADYREGISTERED;
}

void DropFiles(std::vector<Text> paths) {
  const HWND window = CurrentWindowHandle();
  if (!window || paths.empty()) return;
  g_dropped = std::move(paths);
  PostMessageW(window, kFilesDroppedMessage, 0, 0);
}

std::vector<Text> TakeDroppedFiles() { return std::exchange(g_dropped, {}); }

}  // namespace rt
