// Many files in one go: planned at once, converted one after another by a worker thread with
// the processor hidden and its output captured, followed in a progress window and reported at
// the end. The window's thread alone touches windows; the worker only tells it of progress.
#pragma once

#include <span>

#include "convert/rules/batch_plan.h"

namespace convert {

bool BatchRunning();

// Plans the files against the output directory as it is now and starts the worker.
void StartBatch(std::span<const BatchInput> inputs, bool requireXml);

// On EVENT_TaskEnded: shows how far the batch has come; at its end, the report.
void BatchMoved();

// The user has chosen to close during a batch: ends the running processor, and what it started,
// before it returns.
void StopBatchForClosing();

}  // namespace convert
