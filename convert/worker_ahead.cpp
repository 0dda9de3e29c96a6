#include "convert/worker_ahead.h"

#include <utility>

#include "convert/rules/conversion_messages.h"
#include "runtime/process/hidden_process.h"
#include "runtime/system/system_services.h"
#include "transform/transform_worker.h"

namespace convert {
namespace {

// Started and taken by the window's thread only.
rt::WorkerProcess& Waiting() {
  static rt::WorkerProcess* waiting = new rt::WorkerProcess;  // ended with the program's job
  return *waiting;
}

}  // namespace

void StartWorkerAhead() {
  if (Waiting().Running() || !rt::FindProgram(kProcessorProgram).empty()) return;
  std::uint32_t error = 0;
  rt::StartTransformWorker(Waiting(), rt::ExecutablePath(), error);  // a failure shows when it is used
}

rt::WorkerProcess TakeWorkerStartedAhead() { return std::exchange(Waiting(), rt::WorkerProcess()); }

void EndWorkerStartedAhead() { Waiting().End(); }

}  // namespace convert
