// The one exception of the window driver: a wait that ran out of time or an action that
// could not be done. Its message says what was waited for and what the process showed.
#pragma once

#include <stdexcept>
#include <string>

namespace driver {

class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  explicit DriverError(const std::wstring& message);
};

}  // namespace driver
