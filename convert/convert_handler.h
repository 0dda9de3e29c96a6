// What the Convert button does.
#pragma once

namespace convert {

void ConvertHandler();

}  // namespace convert
