// Loading system libraries on first use.
#pragma once

#include "runtime/system/win32_api.h"

namespace rt {

// Functions of system libraries that only a dialog or a launch needs, loaded when first
// used so that starting the program does not pay for them.
FARPROC SystemLibraryFunction(const wchar_t* library, const char* function);

template <typename Function>
Function LoadSystemFunction(const wchar_t* library, const char* function) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemLibraryFunction(library, function)));
}

}  // namespace rt
