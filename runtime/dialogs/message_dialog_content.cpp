#include "runtime/dialogs/message_dialog_content.h"

#include "runtime/text/number_text.h"

namespace rt {
namespace {

constexpr MessageButton kAllButtons[] = {
    {1, u"OK"},      {2, u"&Yes"},     {4, u"&No"},     {8, u"&Abort"},
    {16, u"&Retry"}, {32, u"&Ignore"}, {64, u"Cancel"}, {128, u"&Help"},
};

}  // namespace

Text MessageLines(TextView text) {
  Text lines;
  lines.reserve(text.size());
  for (const char16_t c : text) {
    if (c == u'|') {
      lines += u"\r\n";
    } else {
      lines += c;
    }
  }
  return lines;
}

std::optional<int> SystemIconNumber(TextView icon) {
  if (icon.size() != 4 || icon[0] != 0xFF || icon[1] != 0x01) return std::nullopt;
  const int number = (icon[2] & 0xFF) | ((icon[3] & 0xFF) << 8);
  if (number == 0) return std::nullopt;
  return number - 1;
}

std::vector<MessageButton> MessageButtons(TextView buttons) {
  const LONG bits = !buttons.empty() && buttons[0] >= u'0' && buttons[0] <= u'9' ? TextToLong(buttons) : 0;
  std::vector<MessageButton> chosen;
  for (const auto& button : kAllButtons) {
    if (bits & button.bit) chosen.push_back(button);
  }
  if (chosen.empty()) chosen.push_back(kAllButtons[0]);
  return chosen;
}

LONG DefaultButton(const std::vector<MessageButton>& buttons, LONG requested) {
  for (const auto& button : buttons) {
    if (button.bit == requested) return requested;
  }
  return buttons.empty() ? 0 : buttons.front().bit;
}

}  // namespace rt
