// Starts as the program does and prints, as UTF-8 lines, the directory it finds itself in and
// the settings-file path formed from it; the start-up tests copy it to various places.
#include <string>

#include "app/globals.h"
#include "app/start_up.h"
#include "runtime/system/system_services.h"
#include "runtime/system/win32_api.h"
#include "tests/wine/test_paths.h"

int main() {
  rt::InitRuntime();
  app::InitGlobals();
  app::FormSettingsFilePath();
  const std::string report =
      vxtest::Utf8(app::GETEXECDIR()) + "\n" + vxtest::Utf8(rt::CLIP(app::GLO_STNAMEINIFILE)) + "\n";
  DWORD written = 0;
  const bool ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report.data(), static_cast<DWORD>(report.size()), &written,
                            nullptr) != 0;
  return ok && written == report.size() ? 0 : 1;
}
