// The main window's definition: what it looks like and which variables its entries show.
#pragma once

#include "runtime/window/dialog_services.h"

namespace ui {

// Control numbers, as FIELD reports them and SelectControl takes them.
namespace control {
inline constexpr rt::LONG BUTTONLOOKUPPATHIN = 1;
inline constexpr rt::LONG PATHIN = 2;
inline constexpr rt::LONG BUTTONLOOKUPPATHOUT = 3;
inline constexpr rt::LONG PATHOUT = 4;
inline constexpr rt::LONG BUTTONCONVERT = 5;
inline constexpr rt::LONG BUTTONEXIT = 6;
inline constexpr rt::LONG BUTTONNEWFILES = 7;
inline constexpr rt::LONG BUTTONJOURNAL = 8;
}  // namespace control

// The title keeps its 50 blanks: the version mark stands at the far end of the title bar.
inline constexpr rt::TextView kMainWindowTitle =
    u"Конвертация файлов из 7 формата в 4                                                  версия 1.0";
static_assert(kMainWindowTitle.size() == 95);

const rt::WindowDefinition& MainWindowDefinition();

}  // namespace ui
