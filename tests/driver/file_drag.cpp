#include "tests/driver/file_drag.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cwchar>
#include <functional>
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

// Answers DoDragDrop after each message its loop takes (a move, the button going up, its own
// timer) and keeps what the hand on the other thread goes by: how many the loop has taken, the
// point of the last one, and whether the drag has ended.
class MouseDragSource final : public Counted<IDropSource> {
 public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keyState) override {
    lastPoint_ = GetMessagePos();
    ++handled_;
    HRESULT answer = S_OK;
    if (escape || abandoned_) {
      answer = DRAGDROP_S_CANCEL;
    } else if (!(keyState & MK_LBUTTON)) {
      // Only the key state that comes with the message: the drop lands on that message's point.
      // The system's own button state runs ahead of the queue; a release read from it drops on
      // the point of whatever message the loop holds, which can be older than the release.
      answer = DRAGDROP_S_DROP;
    }
    if (answer != S_OK) ended_ = true;
    return answer;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

  unsigned Handled() const { return handled_; }
  bool LastPointIs(POINT point) const {
    const DWORD last = lastPoint_;
    return static_cast<short>(LOWORD(last)) == point.x && static_cast<short>(HIWORD(last)) == point.y;
  }
  bool Ended() const { return ended_; }
  bool Abandoned() const { return abandoned_; }
  // DoDragDrop has returned.
  void End() { ended_ = true; }
  // The next answer cancels the drag.
  void Abandon() { abandoned_ = true; }

 private:
  std::atomic<unsigned> handled_{0};
  std::atomic<DWORD> lastPoint_{0};
  std::atomic<bool> ended_{false};
  std::atomic<bool> abandoned_{false};
};

// Keeps the thread's window and OLE answering until the condition holds; false when time runs out.
bool PumpUntil(const std::function<bool()>& condition, Timeout timeout = kDefaultTimeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left.count(), 20)),
                              QS_ALLINPUT);
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

// Polls from the hand's thread until the condition holds; false when the drag has ended first
// or time runs out.
bool Await(const MouseDragSource& drag, const std::function<bool()>& condition) {
  const auto end = std::chrono::steady_clock::now() + kDefaultTimeout;
  while (!condition()) {
    if (drag.Ended() || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
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

// The hand, on its own thread while DoDragDrop holds the test's: onto the target in steps, each
// once the drag loop has taken the move before, then the release. Every move is an X pointer warp,
// and Wine's desktop turns the crossing it makes into a mouse move of its own, handled late and
// from where the pointer was: the cursor can land back on the step before. So the hand moves
// again until the loop has the cursor on the target, and releases there.
void MoveAndRelease(MouseDragSource& drag, POINT start, POINT target) {
  POINT at = start;
  const auto moveTo = [&](POINT point) {
    const unsigned before = drag.Handled();
    SendMouse(point, 0);
    at = point;
    return Await(drag, [&] { return drag.Handled() > before; });
  };
  constexpr int kSteps = 8;
  bool following = Await(drag, [&] { return drag.Handled() > 0; });
  for (int step = 1; following && step <= kSteps; ++step) {
    following =
        moveTo({start.x + (target.x - start.x) * step / kSteps, start.y + (target.y - start.y) * step / kSteps});
  }
  const auto end = std::chrono::steady_clock::now() + kDefaultTimeout;
  while (following && !drag.LastPointIs(target) && std::chrono::steady_clock::now() < end) following = moveTo(target);
  SendMouse(at, MOUSEEVENTF_LEFTUP);
  // A loop that never sees the release would hold the test for ever: cancel it instead.
  if (!Await(drag, [&] { return drag.Ended(); })) drag.Abandon();
}

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
  const POINT start = CentreOf(Window(source.handle()));
  if (!PumpUntil([&] { return WindowFromPoint(start) == source.handle(); })) {
    throw DriverError(L"the window to drag from is not under its own centre");
  }
  SendMouse(start, MOUSEEVENTF_LEFTDOWN);
  // DoDragDrop starts from this thread's view of the button: it must have taken the press.
  if (!PumpUntil([] { return GetKeyState(VK_LBUTTON) < 0; })) {
    SendMouse(start, MOUSEEVENTF_LEFTUP);
    throw DriverError(L"the press on the window to drag from did not arrive");
  }

  // DoDragDrop holds this thread in its own loop until the button goes up: another thread
  // moves the mouse meanwhile, as a hand does, so the target sees it enter and move.
  std::thread hand([&drag = *dropSource.get(), start, screenPoint] { MoveAndRelease(drag, start, screenPoint); });
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT result = DoDragDrop(data.get(), dropSource.get(), DROPEFFECT_COPY, &effect);
  dropSource.get()->End();
  hand.join();
  if (dropSource.get()->Abandoned()) {
    throw DriverError(L"the drag onto (" + std::to_wstring(screenPoint.x) + L", " + std::to_wstring(screenPoint.y) +
                      L") never saw the button go up and was cancelled");
  }
  if (result != DRAGDROP_S_DROP || effect == DROPEFFECT_NONE) {
    throw DriverError(L"the drop onto (" + std::to_wstring(screenPoint.x) + L", " + std::to_wstring(screenPoint.y) +
                      L") was not accepted: DoDragDrop gave " + HexOf(result) + L" with the effect " +
                      std::to_wstring(effect));
  }
  return effect;
}

}  // namespace driver
