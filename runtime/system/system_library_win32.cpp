#include "runtime/system/system_library_win32.h"

#include "runtime/system/win32_api.h"

namespace rt {

FARPROC SystemLibraryFunction(const wchar_t* library, const char* function) {
  // Loaded for good: the library stays until the process ends, as if linked.
  wchar_t path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 2 + wcslen(library) >= MAX_PATH) return nullptr;
  wcscat(path, L"\\");
  wcscat(path, library);
  HMODULE module = GetModuleHandleW(path);
  if (!module) module = LoadLibraryW(path);
  return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace rt
