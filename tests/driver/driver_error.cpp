#include "tests/driver/driver_error.h"

#include "tests/driver/utf8_text.h"

namespace driver {

DriverError::DriverError(const std::wstring& message) : std::runtime_error(ToUtf8(message)) {}

}  // namespace driver
