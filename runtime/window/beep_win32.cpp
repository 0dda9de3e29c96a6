#include "runtime/system/win32_api.h"
#include "runtime/window/beep.h"
#include "runtime/window/dialog_services.h"

namespace rt {
namespace {

constexpr LONG kStandardBeep = 150;

void PlayBeep(std::uint32_t sound) { MessageBeep(sound); }

BeepSink g_sink = &PlayBeep;

}  // namespace

void Beep(LONG sound, LONG enable) {
  if (sound == 0 || enable == 0) return;
  g_sink(sound == kStandardBeep ? 0xFFFFFFFFu : static_cast<std::uint32_t>(sound));
}

BeepSink SetBeepSink(BeepSink sink) {
  const BeepSink previous = g_sink;
  g_sink = sink ? sink : &PlayBeep;
  return previous;
}

}  // namespace rt
