// The file a transformation writes before its result is put in the output's place.
#pragma once

#include "runtime/system/owned_handle_win32.h"
#include "runtime/text/text_value.h"

namespace rt {

// A new, uniquely named "vxt….tmp" in the output's directory, open for writing. The system
// removes it when it is closed, and so when the process ends in any way (ended from outside
// too), unless PutInPlace has moved it over the output.
class TemporaryOutput {
 public:
  explicit TemporaryOutput(const Text& output);
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  // False when the file could not be made; error() tells why.
  bool made() const { return static_cast<bool>(file_); }
  HANDLE handle() const { return file_.get(); }
  DWORD error() const { return error_; }

  // Replaces the output with the file. False, with error(), when it could not; and when the
  // program is ending (AbandonTransformations), so that an earlier output stays.
  bool PutInPlace(const Text& output);

 private:
  bool SetRemoval(bool remove);

  Text path_;
  OwnedHandle file_;
  DWORD error_ = 0;
};

}  // namespace rt
