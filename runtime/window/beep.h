// Where Beep's sounds go: the speaker, or a test that listens for them.
#pragma once

#include <cstdint>

namespace rt {

using BeepSink = void (*)(std::uint32_t messageBeepType);

// Replaces the sink; null restores the speaker. Returns the previous sink.
BeepSink SetBeepSink(BeepSink sink);

}  // namespace rt
