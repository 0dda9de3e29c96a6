// What a message dialog shows, worked out without the platform: its lines, its icon and
// its buttons.
#pragma once

#include <optional>
#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

// Measurements in dialog units.
inline constexpr int kMessageWrapWidth = 200;
inline constexpr int kMessageMargin = 5;
inline constexpr int kMessageButtonWidth = 50;
inline constexpr int kMessageButtonHeight = 14;
inline constexpr int kMessageButtonGap = 5;

struct MessageButton {
  LONG bit;  // also the dialog's result
  TextView caption;
};

// "|" becomes a line break.
Text MessageLines(TextView text);

// The system icon that an icon text FF 01 n names (resource number n - 1), if it is one.
std::optional<int> SystemIconNumber(TextView icon);

// The buttons a button text asks for, in bit order: empty or 0 gives OK alone.
std::vector<MessageButton> MessageButtons(TextView buttons);

// The default button: the one asked for when present, else the first.
LONG DefaultButton(const std::vector<MessageButton>& buttons, LONG requested);

}  // namespace rt
