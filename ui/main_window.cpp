#include "ui/main_window.h"

namespace ui {

void MAIN() {}

}  // namespace ui
