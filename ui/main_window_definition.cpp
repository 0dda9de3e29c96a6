#include "ui/main_window_definition.h"

namespace ui {
namespace {

using rt::ControlKind;
using rt::kDefault;

// Positions and sizes in dialog units of the window's font. The doubled blanks in the
// first two captions are the captions' own.
constexpr rt::ControlDefinition kControls[] = {
    {control::BUTTONLOOKUPPATHIN, ControlKind::Button, "?BUTTONLOOKUPPATHIN", u"Путь к входному  файлу", 4, 10, 103, 14,
     std::nullopt},
    {control::PATHIN, ControlKind::Entry, "?PATHIN", u"s255", 111, 10, 260, 14, rt::Colour{0, 128, 192}},
    {control::BUTTONLOOKUPPATHOUT, ControlKind::Button, "?BUTTONLOOKUPPATHOUT", u"Путь для выходного  файлу", 4, 36,
     kDefault, 14, std::nullopt},
    {control::PATHOUT, ControlKind::Entry, "?PATHOUT", u"s255", 111, 36, 260, 14, rt::Colour{0, 64, 128}},
    {control::BUTTONCONVERT, ControlKind::Button, "?BUTTONCONVERT", u"Конвертация", 109, 74, 125, 28, std::nullopt},
    {control::BUTTONEXIT, ControlKind::Button, "?BUTTONEXIT", u"Выход", 336, 102, kDefault, 14, std::nullopt,
     rt::kStandardClose},
    // In the window's free space, either side of Convert. Tab keeps to the six above; these are
    // pressed from the keyboard by their letters (Alt+Н, Alt+Ж).
    {control::BUTTONNEWFILES, ControlKind::Button, "?BUTTONNEWFILES", u"&Новые файлы", 4, 74, 101, 28, std::nullopt, 0,
     false},
    {control::BUTTONJOURNAL, ControlKind::Button, "?BUTTONJOURNAL", u"&Журнал", 238, 74, 94, 28, std::nullopt, 0,
     false},
};

constexpr rt::WindowDefinition kMainWindow{
    kMainWindowTitle, 374, 121, {u"MS Sans Serif", 8, 700}, u"VEXILATE_ICO", true, kControls,
};

}  // namespace

const rt::WindowDefinition& MainWindowDefinition() { return kMainWindow; }

}  // namespace ui
