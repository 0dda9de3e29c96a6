// The file a transformation writes its result to, before the program puts it in the output's
// place.
#pragma once

#include "runtime/system/owned_handle_win32.h"
#include "runtime/text/text_value.h"

namespace rt {

// A new file, open for writing. The system removes it when it is closed, and so when the
// process ends in any way (ended from outside too), unless it is kept.
class TemporaryOutput {
 public:
  explicit TemporaryOutput(const Text& path);
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  // False when the file could not be made; error() tells why.
  bool made() const { return static_cast<bool>(file_); }
  HANDLE handle() const { return file_.get(); }
  DWORD error() const { return error_; }

  // The file stays, as it is written, once it is closed. False, with error(), when it cannot.
  bool Keep();

 private:
  bool SetRemoval(bool remove);

  OwnedHandle file_;
  DWORD error_ = 0;
};

}  // namespace rt
