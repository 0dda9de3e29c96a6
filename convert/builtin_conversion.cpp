#include "convert/builtin_conversion.h"

#include <mutex>
#include <thread>
#include <utility>

#include "runtime/dialog_services.h"
#include "runtime/process_watch.h"

namespace convert {
namespace {

std::mutex g_lock;
std::vector<BuiltInEnd> g_ended;  // guarded by g_lock

}  // namespace

void StartBuiltInConversion(StartedConversion conversion, rt::Text inputPath, rt::Text stylesheetPath) {
  const rt::HandleValue window = rt::WindowHandle();
  // Not joined: closing the program does not wait for it, as it does not wait for a processor.
  std::thread([conversion = std::move(conversion), inputPath = std::move(inputPath),
               stylesheetPath = std::move(stylesheetPath), window]() mutable {
    rt::TransformOutcome outcome;
    {
      const rt::ComThreadScope com;
      outcome = rt::TransformFile(inputPath, stylesheetPath, conversion.outputPath);
    }
    {
      const std::lock_guard guard(g_lock);
      g_ended.push_back({std::move(conversion), std::move(outcome)});
    }
    rt::PostTaskEnded(window);
  }).detach();
}

std::vector<BuiltInEnd> TakeEndedBuiltInConversions() {
  const std::lock_guard guard(g_lock);
  return std::exchange(g_ended, {});
}

}  // namespace convert
