// The files of a batch converted one after another on the thread that calls Work: through the
// processor hidden, its output captured, or built in when there is none; each row journaled as
// its result is known. The window's batch runs it on a worker thread and follows it; a quiet run
// runs it itself, with a time limit on each file.
#pragma once

#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "convert/rules/batch_plan.h"
#include "convert/rules/batch_report.h"
#include "runtime/process/stop_signal.h"
#include "runtime/process/worker_process.h"

namespace convert {

struct BatchWork {
  std::vector<BatchItem> plan;
  std::vector<FileReport> reports;     // a row per planned file
  std::vector<std::size_t> toConvert;  // indexes into the plan
  std::vector<rt::Text> outputPaths;   // full, by plan index
  rt::Text program;                    // the processor, found when the batch starts
  rt::Text stylesheetPath;             // for the built-in conversion when there is none
  rt::WorkerProcess workerAhead;       // its worker, when one was started ahead
  rt::Text outputDirectory;            // as it was when the batch started
  rt::Text workDirectory;
  rt::Text journalPath;        // as it was when the batch started
  rt::HandleValue window = 0;  // told as each file starts and ends; none in a quiet run
  unsigned fileTimeoutMs = 0;  // a file not converted within this is stopped; 0 for no limit
  // Called on Work's thread as each planned row's result is known, in the order of the plan
  // for those refused or not converted.
  std::function<void(const FileReport&)> rowEnded;

  rt::StopSignal stop;      // Cancel, or "Yes" at close
  std::mutex lock;          // guards the fields below and the reports
  std::size_t current = 0;  // files started so far
  std::size_t done = 0;
  bool finished = false;
  // The stylesheet or a schema beside it could not be prepared: the first file to convert says
  // why, and no file is converted; none of them is to blame.
  bool notPrepared = false;
};

// Plans the inputs against the output directory as it is now, with the processor found then (or
// the built-in conversion), relative paths read against the current directory.
void PlanWork(BatchWork& work, std::span<const BatchInput> inputs, bool requireXml);
// Plans them again, against the output directory and the conversion already chosen.
void PlanRows(BatchWork& work, std::span<const BatchInput> inputs, bool requireXml);

// Converts the planned files until they are done or the stop is set.
void Work(BatchWork& work);

}  // namespace convert
