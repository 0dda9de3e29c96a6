#include "convert/worker_ahead.h"

#include <thread>
#include <utility>

#include "convert/rules/conversion_messages.h"
#include "runtime/process/hidden_process.h"
#include "runtime/system/system_services.h"
#include "runtime/window/dialog_services.h"
#include "transform/transform_worker.h"

namespace convert {
namespace {

// Asked for, taken and ended by the window's thread only. The process is started once that
// thread is idle (the file dialog shown), by a thread of its own, so that nobody waits for it.
struct Ahead {
  std::thread starting;
  rt::WorkerProcess worker;
};

Ahead& TheAhead() {
  static Ahead* ahead = new Ahead;  // a worker never taken is ended with the program's job
  return *ahead;
}

void StartNow() {
  Ahead& ahead = TheAhead();
  ahead.starting = std::thread([&ahead, program = rt::ExecutablePath()] {
    std::uint32_t error = 0;
    rt::StartTransformWorker(ahead.worker, program, error);  // a failure shows when it is used
  });
}

}  // namespace

void StartWorkerAhead() {
  const Ahead& ahead = TheAhead();
  // Looked for now: the search depends on the current directory, which this thread moves.
  if (ahead.starting.joinable() || ahead.worker.Running() || !rt::FindProgram(kProcessorProgram).empty()) return;
  rt::WhenIdle(&StartNow);
}

rt::WorkerProcess TakeWorkerStartedAhead() {
  rt::WhenIdle(nullptr);  // not started yet: the conversion starts its own
  Ahead& ahead = TheAhead();
  if (ahead.starting.joinable()) ahead.starting.join();
  return std::exchange(ahead.worker, rt::WorkerProcess());
}

void EndWorkerStartedAhead() { TakeWorkerStartedAhead().End(); }

}  // namespace convert
