// The built-in transformation's worker started ahead of its work, while the user chooses files
// or the program plans them, so that the conversion does not wait for a process to start.
#pragma once

#include "runtime/process/worker_process.h"

namespace convert {

// Starts one when msxsl.exe is to be found nowhere and none is waiting yet.
void StartWorkerAhead();

// The one started ahead, for a conversion to take over; one not started when there is none.
rt::WorkerProcess TakeWorkerStartedAhead();

// Nothing is to be converted after all: it ends.
void EndWorkerStartedAhead();

}  // namespace convert
