// The pipe a started program writes its standard output and error to, read without blocking
// the reader: a read is always under way, and its completion is an event that can be waited
// for together with the program's end and a stop signal.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "runtime/system/owned_handle_win32.h"

namespace rt {

class OutputPipe {
 public:
  // Keeps the first `keepLimit` bytes; what comes after is read and dropped.
  explicit OutputPipe(std::size_t keepLimit) : keepLimit_(keepLimit) {}
  // Gives up a read still under way, and waits until the system has let go of the buffer.
  ~OutputPipe();
  OutputPipe(const OutputPipe&) = delete;
  OutputPipe& operator=(const OutputPipe&) = delete;

  // Makes the pipe; false, with the system's last error, when it cannot.
  bool Open();
  // Inheritable: for the started program's standard output and error.
  HANDLE WriteEnd() const { return write_.get(); }
  // Once the program has its copy; then starts reading.
  void StartReading();

  // Whether a read is under way: false once every writer has let go (or reading failed).
  bool Reading() const { return pending_; }
  // Signalled when the read under way has completed.
  HANDLE ReadDone() const { return done_.get(); }
  // After ReadDone: keeps what the read brought and starts the next one.
  void TakeRead();
  // Reads until every writer has let go, for at most `milliseconds`; then gives up.
  void Drain(DWORD milliseconds);

  const std::string& kept() const { return kept_; }
  // What has been kept so far, which makes room for as much again.
  std::string Take() { return std::exchange(kept_, {}); }
  bool cut() const { return cut_; }

 private:
  void Read();
  void Cancel();

  std::size_t keepLimit_;
  OwnedHandle read_, write_, done_;
  OVERLAPPED overlapped_{};
  char buffer_[4096] = {};
  bool pending_ = false;
  std::string kept_;
  bool cut_ = false;
};

}  // namespace rt
