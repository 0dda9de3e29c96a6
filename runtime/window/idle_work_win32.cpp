#include <utility>

#include "runtime/system/win32_api.h"
#include "runtime/window/dialog_services.h"

namespace rt {
namespace {

// A thread's timer message comes only when nothing else waits, after painting.
UINT_PTR g_timer = 0;
void (*g_work)() = nullptr;

void CALLBACK IdleNow(HWND, UINT, UINT_PTR, DWORD) {
  WhenIdle(nullptr);
  // Taken first: the work may ask for more.
  if (void (*const work)() = std::exchange(g_work, nullptr)) work();
}

}  // namespace

void WhenIdle(void (*work)()) {
  if (g_timer != 0) KillTimer(nullptr, g_timer);
  g_timer = 0;
  if (work) g_timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &IdleNow);
  g_work = g_timer != 0 ? work : nullptr;
}

}  // namespace rt
