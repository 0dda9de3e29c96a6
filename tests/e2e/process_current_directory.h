// The current directory of another process, read from its process parameters: the one piece
// of a program's state that no window shows, yet decides where the programs it starts run.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// Nothing when the process's memory cannot be read. The handle needs PROCESS_QUERY_INFORMATION
// and PROCESS_VM_READ (a handle from CreateProcess has both). The process must have the
// test's own pointer size.
std::optional<std::wstring> ProcessCurrentDirectory(HANDLE process);

}  // namespace e2e
