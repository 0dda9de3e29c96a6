// The file a transformation writes before its result is put in the output's place.
#pragma once

#include "runtime/text/text_value.h"
#include "runtime/system/win32_api.h"

namespace rt {

// A new, uniquely named "vxt….tmp" in the output's directory, open for writing. The system
// removes it when it is closed, and so when the process ends in any way (ended from outside
// too), unless PutInPlace has moved it over the output.
class TemporaryOutput {
 public:
  explicit TemporaryOutput(const Text& output);
  ~TemporaryOutput();
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  // INVALID_HANDLE_VALUE when the file could not be made; error() tells why.
  HANDLE handle() const { return file_; }
  DWORD error() const { return error_; }

  // Replaces the output with the file. False, with error(), when it could not; and when the
  // program is ending (AbandonTransformations), so that an earlier output stays.
  bool PutInPlace(const Text& output);

 private:
  bool SetRemoval(bool remove);

  Text path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  DWORD error_ = 0;
};

}  // namespace rt
