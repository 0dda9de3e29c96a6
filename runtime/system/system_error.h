// What the system says of an error code, in the user's language, for messages.
#pragma once

#include <cstdint>

#include "runtime/text/text_value.h"

namespace rt {

// The system's description of an error code (Win32 or HRESULT), without its closing line break;
// empty when the system has none.
Text SystemDescription(std::uint32_t code);

// The same, or "код <code>" when the system has none.
Text SystemErrorText(std::uint32_t code);

}  // namespace rt
