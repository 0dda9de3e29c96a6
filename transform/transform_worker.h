// The built-in transformation done by a worker: this program started again, hidden, with
// kTransformWorkerSwitch. Whatever the XSLT library does then happens in that process,
// so a transformation can be stopped at any moment as the processor can (its process ended),
// and leaves nothing behind: its written file goes with it.
#pragma once

#include <deque>
#include <vector>

#include "runtime/process/stop_signal.h"
#include "runtime/process/worker_process.h"
#include "transform/xml_transform.h"

namespace rt {

inline constexpr char16_t kTransformWorkerSwitch[] = u"/transform-worker";

class TransformWorker {
 public:
  // A worker started from `program` (this program's executable), stopped by `stop`; one
  // started ahead (StartTransformWorker) is taken over.
  TransformWorker(const StopSignal& stop, Text program, WorkerProcess startedAhead = {});
  ~TransformWorker();  // the worker ends
  TransformWorker(const TransformWorker&) = delete;
  TransformWorker& operator=(const TransformWorker&) = delete;

  // Starts the worker and compiles the stylesheet there, with the schemas of its formats that
  // lie beside it, for every file after. The program's own files (`privateFiles`, see
  // ReadGuard::KeepPrivate) are never read by either. A failure that is not a stop is one of
  // preparing (notPrepared), told once, by the file being prepared.
  TransformOutcome Compile(TextView stylesheetPath, std::vector<Text> privateFiles = {});
  // Starts the worker and compiles there only the schemas beside the stylesheet, for the files
  // the processor converts.
  TransformOutcome CompileSchemas(TextView stylesheetPath, std::vector<Text> privateFiles = {});
  // The file checked against the input's or the result's schema compiled last: succeeded when
  // it matches or there is none.
  TransformOutcome Check(TextView path, bool result);
  // Asks for TransformFile with the compiled stylesheet. The worker takes it up as soon as it is
  // free, so a batch asks for its next file before it puts the last one in place.
  void Queue(TextView inputPath, TextView writtenPath, TextView outputPath);
  // The outcome of the oldest transformation queued and not told yet, waited for. A worker that
  // ended unexpectedly is started again, with the stylesheet compiled again, for those after it.
  TransformOutcome Next();
  // One file: Queue, then Next.
  TransformOutcome Transform(TextView inputPath, TextView writtenPath, TextView outputPath);

 private:
  struct Request {
    Text input, written, output;
    bool sent = false;
  };
  TransformOutcome Begin();  // sends the compile request, starting a worker when none runs
  TransformOutcome Prepare(Text request, TextView stylesheetPath, std::vector<Text> privateFiles);
  bool Send(Request& request);
  TransformOutcome Hear(TextView about, bool preparing = false);
  void Ended();

  const StopSignal& stop_;
  const Text program_;
  Text stylesheetPath_;
  std::vector<Text> compileRequest_;
  WorkerProcess worker_;
  std::deque<Request> queued_;
};

// Starts a worker from `program`, to be handed to a TransformWorker: a conversion then does not
// wait for a process to start. False with the system's error code.
bool StartTransformWorker(WorkerProcess& worker, TextView program, std::uint32_t& systemError);

// The worker's side, for a process started with kTransformWorkerSwitch: answers the requests
// on its standard input until that ends; returns the process's exit code.
int ServeTransformations();

}  // namespace rt
