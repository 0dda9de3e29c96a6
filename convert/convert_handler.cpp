#include "convert/convert_handler.h"

namespace convert {

void ConvertHandler() {}

}  // namespace convert
