#include "convert/builtin_conversion.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "convert/batch/result_placement.h"
#include "convert/journal/journal_file.h"
#include "convert/worker_ahead.h"
#include "runtime/process/process_watch.h"
#include "runtime/process/stop_signal.h"
#include "runtime/system/output_in_place.h"
#include "runtime/window/dialog_services.h"
#include "transform/transform_worker.h"

namespace convert {
namespace {

struct Running {
  rt::StopSignal stop;
  std::atomic<bool> ended{false};
  std::thread thread;
};

// Started, taken and stopped by the window's thread only.
std::vector<std::unique_ptr<Running>> g_running;

std::mutex g_lock;
std::vector<BuiltInEnd> g_ended;  // guarded by g_lock

rt::TransformOutcome Convert(const rt::Text& inputPath, const rt::Text& stylesheetPath, const rt::Text& outputPath,
                             const rt::StopSignal& stop, rt::WorkerProcess workerAhead,
                             std::vector<rt::Text> programFiles) {
  rt::RemoveLeftTemporaries(outputPath.substr(0, outputPath.find_last_of(u"\\/") + 1));
  rt::TransformWorker worker(stop, rt::ExecutablePath(), std::move(workerAhead));
  rt::TransformOutcome outcome = worker.Compile(stylesheetPath, std::move(programFiles));
  if (!outcome.succeeded) return outcome;
  const rt::Text written = rt::UnusedNameBeside(outputPath);
  outcome = worker.Transform(inputPath, written, outputPath);
  if (outcome.succeeded && !stop.IsSet()) {
    const Placement placement = PlaceResult(written, outputPath);
    outcome.succeeded = placement.placed;
    outcome.reason = placement.reason;
    return outcome;
  }
  if (outcome.mismatch == rt::TransformOutcome::Mismatch::kSchema) {
    FileReport kept;
    TakeMismatch(outcome, written, outputPath, kept);
    outcome.reason = kept.reason;
    return outcome;
  }
  rt::RemoveFile(written);
  return outcome;
}

void JoinEnded() {
  std::erase_if(g_running, [](const std::unique_ptr<Running>& running) {
    if (!running->ended.load()) return false;
    running->thread.join();
    return true;
  });
}

}  // namespace

void StartBuiltInConversion(StartedConversion conversion, rt::Text inputPath, rt::Text stylesheetPath) {
  JoinEnded();
  const rt::HandleValue window = rt::WindowHandle();
  auto running = std::make_unique<Running>();
  Running& state = *running;
  state.thread =
      std::thread([&state, conversion = std::move(conversion), inputPath = std::move(inputPath),
                   stylesheetPath = std::move(stylesheetPath), window, workerAhead = TakeWorkerStartedAhead(),
                   programFiles = ProgramFiles(JournalPath())]() mutable {
        rt::TransformOutcome outcome = Convert(inputPath, stylesheetPath, conversion.outputPath, state.stop,
                                               std::move(workerAhead), std::move(programFiles));
        {
          const std::lock_guard guard(g_lock);
          g_ended.push_back({std::move(conversion), std::move(outcome)});
        }
        state.ended.store(true);
        rt::PostTaskEnded(window);
      });
  g_running.push_back(std::move(running));
}

bool BuiltInRunning() {
  return std::any_of(g_running.begin(), g_running.end(),
                     [](const std::unique_ptr<Running>& running) { return !running->ended.load(); });
}

std::vector<BuiltInEnd> TakeEndedBuiltInConversions() {
  JoinEnded();
  const std::lock_guard guard(g_lock);
  return std::exchange(g_ended, {});
}

void StopBuiltInConversions() {
  for (const auto& running : g_running) running->stop.Set();
  for (const auto& running : g_running) running->thread.join();
  g_running.clear();
}

}  // namespace convert
