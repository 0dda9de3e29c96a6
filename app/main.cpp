// The entry point.
#include "app/globals.h"
#include "app/start_up.h"
#include "runtime/system/system_services.h"

int main() {
  rt::InitRuntime();
  app::InitGlobals();
  app::_main();
  return 0;
}
