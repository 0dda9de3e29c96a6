// A worker: a program of the project's own started hidden to do work on request, so that the
// work can be stopped at any moment by ending its process. Requests go to its standard input
// and answers come from its standard output, as framed messages (runtime/text/message_frames.h).
// It runs in a job that ends it, with everything it started, when it is stopped, when this
// object goes, and when this program ends in any way.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "runtime/process/stop_signal.h"
#include "runtime/text/text_value.h"

namespace rt {

class WorkerProcess {
 public:
  WorkerProcess();
  ~WorkerProcess();  // ends the worker
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;
  // Started on one thread, it can be handed to another.
  WorkerProcess(WorkerProcess&&) noexcept;
  WorkerProcess& operator=(WorkerProcess&&) noexcept;

  // Starts `program` (a full path) with the parameter text. False, with the system's error
  // code, when it cannot.
  bool Start(TextView program, TextView parameters, std::uint32_t& systemError);
  bool Running() const;
  std::uint32_t Id() const;

  // False when the worker cannot take it (it has ended).
  bool Send(std::span<const Text> fields);

  enum class Heard { kMessage, kEnded, kStopped };
  // Waits for the next message, for the worker's end (a message it sent before it ended is still
  // taken) or for the stop signal; when stopped, the worker has been ended before this returns.
  Heard Receive(std::vector<Text>& fields, const StopSignal& stop);

  // Ends the worker and everything it started, and waits for their end.
  void End();

 private:
  struct Pipes;
  std::unique_ptr<Pipes> pipes_;
  std::string received_;  // what has come and is not yet a whole message
};

}  // namespace rt
