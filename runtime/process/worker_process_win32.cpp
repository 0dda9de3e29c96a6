#include "runtime/process/hidden_start_win32.h"
#include "runtime/process/output_pipe_win32.h"
#include "runtime/process/worker_process.h"
#include "runtime/text/message_frames.h"

namespace rt {
namespace {

// A hostile file that would take all the machine's memory fails the worker instead; a real
// conversion, of any input a 32-bit process can hold, stays well below it.
constexpr std::size_t kWorkerMemoryLimit = std::size_t{1536} << 20;
constexpr UINT kStoppedExitCode = 0xC000013A;
// Room for more than one read, which is all that comes between two takes.
constexpr std::size_t kReceiveRoom = 1024 * 1024;
// Bounds the reading of what an ended worker left in the pipe.
constexpr DWORD kDrainWait = 2000;

}  // namespace

struct WorkerProcess::Pipes {
  HiddenStart started;
  OwnedHandle requests;  // the writing end of the worker's standard input
  OutputPipe answers{kReceiveRoom};
  bool ended = false;
};

WorkerProcess::WorkerProcess() = default;
WorkerProcess::~WorkerProcess() { End(); }
WorkerProcess::WorkerProcess(WorkerProcess&&) noexcept = default;
WorkerProcess& WorkerProcess::operator=(WorkerProcess&& other) noexcept {
  if (this != &other) {
    End();
    pipes_ = std::move(other.pipes_);
    received_ = std::move(other.received_);
  }
  return *this;
}

bool WorkerProcess::Start(TextView program, TextView parameters, std::uint32_t& systemError) {
  End();
  auto pipes = std::make_unique<Pipes>();
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  OwnedHandle requestsRead;
  if (!pipes->answers.Open() || !CreatePipe(requestsRead.out(), pipes->requests.out(), &inheritable, 0) ||
      !SetHandleInformation(pipes->requests.get(), HANDLE_FLAG_INHERIT, 0)) {
    systemError = GetLastError();
    return false;
  }
  pipes->started = StartHidden(program, parameters, {}, requestsRead.get(), pipes->answers.WriteEnd(),
                               pipes->answers.WriteEnd(), kWorkerMemoryLimit);
  if (!pipes->started.process) {
    systemError = pipes->started.error;
    return false;
  }
  pipes->answers.StartReading();
  pipes_ = std::move(pipes);
  received_.clear();
  return true;
}

bool WorkerProcess::Running() const { return pipes_ && !pipes_->ended; }

std::uint32_t WorkerProcess::Id() const { return pipes_ ? pipes_->started.id : 0; }

bool WorkerProcess::Send(std::span<const Text> fields) {
  if (!Running()) return false;
  const std::string bytes = FrameMessage(fields);
  DWORD written = 0;
  return WriteFile(pipes_->requests.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

WorkerProcess::Heard WorkerProcess::Receive(std::vector<Text>& fields, const StopSignal& stop) {
  if (!pipes_) return Heard::kEnded;
  OutputPipe& answers = pipes_->answers;
  for (;;) {
    switch (TakeMessage(received_, fields)) {
      case FrameState::kWhole:
        return Heard::kMessage;
      case FrameState::kBroken:
        End();
        return Heard::kEnded;
      case FrameState::kIncomplete:
        break;
    }
    if (pipes_->ended) return Heard::kEnded;
    HANDLE waits[3] = {pipes_->started.process.get()};
    DWORD count = 1;
    if (stop.Event()) waits[count++] = reinterpret_cast<HANDLE>(stop.Event());
    const DWORD readIndex = count;
    if (answers.Reading()) waits[count++] = answers.ReadDone();
    const DWORD woken = stop.IsSet() ? WAIT_OBJECT_0 + 1 : WaitForMultipleObjects(count, waits, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0 + readIndex) {
      answers.TakeRead();
    } else if (woken == WAIT_OBJECT_0) {
      // Ended by itself: what it wrote before is still in the pipe.
      EndHidden(pipes_->started, kStoppedExitCode);
      answers.Drain(kDrainWait);
      pipes_->ended = true;
    } else {
      End();
      return Heard::kStopped;
    }
    received_ += answers.Take();
  }
}

void WorkerProcess::End() {
  if (!pipes_ || pipes_->ended) return;
  pipes_->requests.Reset();
  EndHidden(pipes_->started, kStoppedExitCode);
  pipes_->ended = true;
}

}  // namespace rt
