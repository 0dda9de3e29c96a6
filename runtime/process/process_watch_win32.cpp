#include <algorithm>
#include <atomic>

#include "runtime/process/process_watch.h"
#include "runtime/system/win32_api.h"
#include "runtime/window/dialog_services.h"
#include "runtime/window/window_state_win32.h"

namespace rt {
namespace {

struct Watch {
  LONG number;
  HANDLE process;
  HANDLE wait;
};

std::vector<Watch> g_watches;  // the window's thread alone touches it
LONG g_lastWatch = 0;
std::atomic<HWND> g_told{nullptr};

// Runs on a wait thread of the pool: it only tells the window, which does the rest on its own thread.
VOID CALLBACK ProcessEnded(PVOID, BOOLEAN) {
  if (HWND window = g_told.load()) PostMessageW(window, kTaskEndedMessage, 0, 0);
}

}  // namespace

void PostTaskEnded(HandleValue window) {
  // A run without a window has nobody to tell.
  if (window) PostMessageW(reinterpret_cast<HWND>(window), kTaskEndedMessage, 0, 0);
}

LONG WatchProcess(HandleValue process) {
  HANDLE handle = reinterpret_cast<HANDLE>(process);
  if (!handle) return 0;
  g_told.store(CurrentWindowHandle());
  HANDLE wait = nullptr;
  if (!RegisterWaitForSingleObject(&wait, handle, &ProcessEnded, nullptr, INFINITE,
                                   WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
    CloseHandle(handle);
    return 0;
  }
  g_watches.push_back({++g_lastWatch, handle, wait});
  return g_lastWatch;
}

namespace {

void TakeEnded(std::vector<EndedProcess>& ended) {
  std::erase_if(g_watches, [&](const Watch& watch) {
    if (WaitForSingleObject(watch.process, 0) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(watch.process, &code);
    // Waits for a notice still being posted, so nothing of the watch outlives it.
    UnregisterWaitEx(watch.wait, INVALID_HANDLE_VALUE);
    CloseHandle(watch.process);
    ended.push_back({watch.number, code});
    return true;
  });
}

}  // namespace

std::vector<EndedProcess> TakeEndedProcesses(std::chrono::milliseconds together) {
  std::vector<EndedProcess> ended;
  TakeEnded(ended);
  const auto deadline = std::chrono::steady_clock::now() + together;
  while (!ended.empty() && !g_watches.empty()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    std::vector<HANDLE> running;
    for (const Watch& watch : g_watches) {
      if (running.size() == MAXIMUM_WAIT_OBJECTS) break;
      running.push_back(watch.process);
    }
    if (WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), FALSE,
                               static_cast<DWORD>(left.count())) == WAIT_TIMEOUT) {
      break;
    }
    TakeEnded(ended);
  }
  std::ranges::sort(ended, {}, &EndedProcess::watch);
  return ended;
}

}  // namespace rt
