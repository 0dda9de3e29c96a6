// The entry point.
#include "app/globals.h"
#include "app/start_up.h"
#include "runtime/system/system_services.h"
#include "transform/transform_worker.h"

int main() {
  rt::InitRuntime();
  // Started by the program itself to transform where it can be stopped: no window, no settings.
  const std::vector<rt::Text> arguments = rt::ProgramArguments();
  if (arguments.size() == 1 && arguments.front() == rt::kTransformWorkerSwitch) return rt::ServeTransformations();
  app::InitGlobals();
  return app::_main();
}
