// A small window built from a definition and run by the window services' event loop, as the
// program's procedures run theirs: the subject of the idle benchmark.
#include "runtime/window/dialog_services.h"

namespace {

using rt::ControlKind;

constexpr rt::LONG kPress = 1;
constexpr rt::LONG kEntry = 2;
constexpr rt::LONG kClose = 3;

constexpr rt::ControlDefinition kControls[] = {
    {kPress, ControlKind::Button, "?PRESS", u"Нажать", 4, 10, 60, 14, std::nullopt},
    {kEntry, ControlKind::Entry, "?ENTRY", u"s255", 70, 10, 200, 14, rt::Colour{0, 128, 192}},
    {kClose, ControlKind::Button, "?CLOSE", u"Выход", 210, 40, rt::kDefault, 14, std::nullopt, rt::kStandardClose},
};

constexpr rt::WindowDefinition kDefinition{
    u"Ожидание", 280, 64, {u"MS Sans Serif", 8, 700}, u"", true, kControls,
};

}  // namespace

int main() {
  rt::InitRuntime();
  rt::STRING<1000> entry;
  rt::Window* window = rt::OpenWindow(kDefinition, {entry.field()});
  if (!window) return 1;
  rt::DisplayWindow(window);
  while (rt::NextEvent(0)) {
    // Like the program's own window: the focus starts on the first button.
    if (rt::EVENT() == rt::EVENT_OpenWindow) rt::SelectControl(kPress);
  }
  rt::CloseWindow(window);
  return 0;
}
