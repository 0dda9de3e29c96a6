#include "runtime/process/stop_signal.h"
#include "runtime/system/win32_api.h"

namespace rt {

StopSignal::StopSignal() : event_(reinterpret_cast<HandleValue>(CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

StopSignal::~StopSignal() {
  if (event_) CloseHandle(reinterpret_cast<HANDLE>(event_));
}

void StopSignal::Set() {
  set_.store(true);
  if (event_) SetEvent(reinterpret_cast<HANDLE>(event_));
}

}  // namespace rt
