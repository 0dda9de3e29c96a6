// Many files in one go: planned at once, converted one after another by a worker thread with
// the processor hidden and its output captured, followed in a progress window and reported at
// the end. The window's thread alone touches windows; the worker only tells it of progress.
#pragma once

#include <span>

#include "convert/rules/batch_plan.h"

namespace convert {

bool BatchRunning();

// The files are «Новые файлы» of this folder (none when empty), failed ones among them when asked.
struct NewFilesOf {
  rt::Text directory;
  bool retryFailed = false;
};

// Plans the files against the output directory as it is now and starts the worker. The worker
// first takes the turns of the files' folders, waiting (Cancel ends the wait) while another run
// converts files of one of them. For «Новые файлы» it takes their folder's turn too; once it has
// it, it leaves out the files that another run converted meanwhile, or failed unless asked.
void StartBatch(std::span<const BatchInput> inputs, bool requireXml, const NewFilesOf& newFiles = {});

// On EVENT_TaskEnded: shows how far the batch has come; at its end, the report.
void BatchMoved();

// The user has chosen to close during a batch: ends the running processor, and what it started,
// before it returns.
void StopBatchForClosing();

}  // namespace convert
