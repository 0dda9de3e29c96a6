#include "convert/builtin_conversion.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "runtime/process/process_watch.h"
#include "runtime/window/dialog_services.h"

namespace convert {
namespace {

// Workers may still run while the program ends, so what they reach is never destroyed.
struct Ended {
  std::mutex lock;
  std::vector<BuiltInEnd> conversions;  // guarded by lock
};
Ended& TheEnded() {
  static Ended* ended = new Ended;
  return *ended;
}

std::atomic<int> g_running{0};

}  // namespace

void StartBuiltInConversion(StartedConversion conversion, rt::Text inputPath, rt::Text stylesheetPath) {
  const rt::HandleValue window = rt::WindowHandle();
  ++g_running;
  // Not joined: closing the program does not wait for it (after asking, see close_query.h).
  std::thread([conversion = std::move(conversion), inputPath = std::move(inputPath),
               stylesheetPath = std::move(stylesheetPath), window]() mutable {
    rt::TransformOutcome outcome;
    {
      const rt::ComThreadScope com;
      outcome = rt::TransformFile(inputPath, stylesheetPath, conversion.outputPath);
    }
    {
      Ended& ended = TheEnded();
      const std::lock_guard guard(ended.lock);
      ended.conversions.push_back({std::move(conversion), std::move(outcome)});
    }
    --g_running;
    rt::PostTaskEnded(window);
  }).detach();
}

bool BuiltInRunning() { return g_running.load() > 0; }

std::vector<BuiltInEnd> TakeEndedBuiltInConversions() {
  Ended& ended = TheEnded();
  const std::lock_guard guard(ended.lock);
  return std::exchange(ended.conversions, {});
}

}  // namespace convert
