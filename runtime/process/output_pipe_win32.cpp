#include "runtime/process/output_pipe_win32.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>

namespace rt {
namespace {

std::atomic<unsigned> g_pipes{0};

// Anonymous pipes cannot be read with overlapped I/O; a named one of our own can.
std::wstring FreshPipeName() {
  return L"\\\\.\\pipe\\vexilate-output-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++g_pipes);
}

}  // namespace

OutputPipe::~OutputPipe() { Cancel(); }

bool OutputPipe::Open() {
  const std::wstring name = FreshPipeName();
  *read_.out() = CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, sizeof buffer_, sizeof buffer_, 0, nullptr);
  if (!read_) return false;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  *write_.out() = CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, 0, nullptr);
  if (!write_) return false;
  *done_.out() = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return static_cast<bool>(done_);
}

void OutputPipe::StartReading() {
  write_.Reset();  // the pipe ends when the program and everything that inherited it let go
  Read();
}

void OutputPipe::Read() {
  ResetEvent(done_.get());
  overlapped_ = {};
  overlapped_.hEvent = done_.get();
  // Completed at once or later: either way the event tells, and TakeRead collects it.
  pending_ =
      ReadFile(read_.get(), buffer_, sizeof buffer_, nullptr, &overlapped_) || GetLastError() == ERROR_IO_PENDING;
}

void OutputPipe::TakeRead() {
  if (!pending_) return;
  DWORD count = 0;
  if (!GetOverlappedResult(read_.get(), &overlapped_, &count, FALSE)) {
    if (GetLastError() == ERROR_IO_INCOMPLETE) return;
    pending_ = false;  // every writer has let go
    return;
  }
  const std::size_t room = keepLimit_ - std::min(keepLimit_, kept_.size());
  kept_.append(buffer_, std::min<std::size_t>(room, count));
  if (count > room) cut_ = true;
  Read();
}

void OutputPipe::Drain(DWORD milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (pending_) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0 || WaitForSingleObject(done_.get(), static_cast<DWORD>(left)) != WAIT_OBJECT_0) break;
    TakeRead();
  }
  Cancel();
}

void OutputPipe::Cancel() {
  if (!pending_) return;
  CancelIoEx(read_.get(), &overlapped_);
  DWORD count = 0;
  GetOverlappedResult(read_.get(), &overlapped_, &count, TRUE);
  pending_ = false;
}

}  // namespace rt
