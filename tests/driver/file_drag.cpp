#include "tests/driver/file_drag.h"

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <thread>

namespace driver {
namespace {

using namespace std::chrono_literals;

std::wstring HexOf(HRESULT result) {
  wchar_t text[16] = {};
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(result));
  return text;
}

// DROPFILES followed by the wide paths, each NUL-terminated, and a final NUL.
HGLOBAL FileList(const std::vector<std::wstring>& files) {
  std::size_t characters = 1;
  for (const auto& file : files) characters += file.size() + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + characters * sizeof(wchar_t));
  if (!memory) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  auto* names = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
  for (const auto& file : files) {
    std::copy(file.begin(), file.end(), names);
    names += file.size() + 1;
  }
  GlobalUnlock(memory);
  return memory;
}

// COM reference counting shared by the two objects below. Another process holds them
// through DoDragDrop and may let go only afterwards, so they go when the last reference does.
template <typename Interface>
class Counted : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
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

 protected:
  virtual ~Counted() = default;

 private:
  ULONG references_ = 1;
};

// The creator's reference, given back when it goes.
template <typename Object>
class Held {
 public:
  explicit Held(Object* object) : object_(object) {}
  ~Held() { object_->Release(); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  Object* get() const { return object_; }

 private:
  Object* object_;
};

// CF_HDROP in global memory, a fresh copy for each reader.
class FileListData final : public Counted<IDataObject> {
 public:
  explicit FileListData(const std::vector<std::wstring>& files) : files_(files) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!medium) return E_INVALIDARG;
    const HRESULT offered = QueryGetData(format);
    if (offered != S_OK) return offered;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = FileList(files_);
    medium->pUnkForRelease = nullptr;
    return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    if (format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return format->dwAspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &format, formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  const std::vector<std::wstring> files_;
};

class MouseDragSource final : public Counted<IDropSource> {
 public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keyState) override {
    if (escape) return DRAGDROP_S_CANCEL;
    // The key state DoDragDrop passes is this thread's view, which can miss a release that
    // the system gives to another process's window; the system's own state does not.
    const bool released = !(keyState & MK_LBUTTON) || !(GetAsyncKeyState(VK_LBUTTON) & 0x8000);
    return released ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// Keeps the thread's window and OLE answering while the test waits.
void Pump(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

// Absolute coordinates run from 0 to 65535 across the screen; rounded up so that the
// system's scaling back lands on the pixel itself.
LONG Normalised(LONG pixel, int screenSize) {
  return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screenSize - 1) / screenSize);
}

void SendMouse(POINT point, DWORD buttonFlags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = Normalised(point.x, GetSystemMetrics(SM_CXSCREEN));
  input.mi.dy = Normalised(point.y, GetSystemMetrics(SM_CYSCREEN));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttonFlags;
  SendInput(1, &input, sizeof(INPUT));
}

// The place the files are dragged from: a small window of the test's own.
class SourceWindow {
 public:
  SourceWindow() {
    static const ATOM kClass = [] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = DefWindowProcW;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
      windowClass.lpszClassName = L"DriverDragSource";
      return RegisterClassW(&windowClass);
    }();
    handle_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, MAKEINTATOM(kClass), L"Drag source",
                              WS_POPUP | WS_BORDER | WS_VISIBLE, 8, 8, 96, 96, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  }
  ~SourceWindow() {
    if (handle_) DestroyWindow(handle_);
  }
  SourceWindow(const SourceWindow&) = delete;
  SourceWindow& operator=(const SourceWindow&) = delete;

  HWND handle() const { return handle_; }

 private:
  HWND handle_ = nullptr;
};

class OleScope {
 public:
  OleScope() : result_(OleInitialize(nullptr)) {}
  ~OleScope() {
    if (SUCCEEDED(result_)) OleUninitialize();
  }
  OleScope(const OleScope&) = delete;
  OleScope& operator=(const OleScope&) = delete;
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace

POINT CentreOf(const Window& window) {
  const RECT rect = window.ScreenRect();
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

DWORD DragFilesOnto(POINT screenPoint, const std::vector<std::wstring>& files) {
  const OleScope ole;
  if (FAILED(ole.result())) throw DriverError(L"OleInitialize failed: " + HexOf(ole.result()));
  const Held data(new FileListData(files));
  const Held dropSource(new MouseDragSource);
  const SourceWindow source;
  if (!source.handle()) throw DriverError(L"the window to drag from could not be created");
  SetForegroundWindow(source.handle());
  Pump(300ms);

  const POINT start = CentreOf(Window(source.handle()));
  SendMouse(start, MOUSEEVENTF_LEFTDOWN);
  Pump(150ms);

  // DoDragDrop holds this thread in its own loop until the button goes up: another thread
  // moves the mouse meanwhile, in steps as a hand does, so the target sees it enter and move.
  std::thread hand([start, screenPoint] {
    constexpr int kSteps = 8;
    std::this_thread::sleep_for(300ms);
    for (int step = 1; step <= kSteps; ++step) {
      SendMouse(
          {start.x + (screenPoint.x - start.x) * step / kSteps, start.y + (screenPoint.y - start.y) * step / kSteps},
          0);
      std::this_thread::sleep_for(60ms);
    }
    std::this_thread::sleep_for(300ms);
    SendMouse(screenPoint, MOUSEEVENTF_LEFTUP);
  });

  DWORD effect = DROPEFFECT_NONE;
  const HRESULT result = DoDragDrop(data.get(), dropSource.get(), DROPEFFECT_COPY, &effect);
  hand.join();
  if (result != DRAGDROP_S_DROP || effect == DROPEFFECT_NONE) {
    throw DriverError(L"the drop onto (" + std::to_wstring(screenPoint.x) + L", " + std::to_wstring(screenPoint.y) +
                      L") was not accepted: DoDragDrop gave " + HexOf(result) + L" with the effect " +
                      std::to_wstring(effect));
  }
  return effect;
}

}  // namespace driver
