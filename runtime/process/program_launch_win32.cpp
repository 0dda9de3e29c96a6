#include "runtime/process/program_launch.h"
#include "runtime/system/system_error.h"
#include "runtime/system/system_library_win32.h"
#include "runtime/system/win32_api.h"

namespace rt {
namespace {

using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);

}  // namespace

LaunchResult LaunchProgram(HandleValue owner, TextView verb, TextView file, TextView parameters, TextView directory,
                           LONG show) {
  const Text verbText(verb), fileText(file), parameterText(parameters), directoryText(directory);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = reinterpret_cast<HWND>(owner);
  info.lpVerb = Wide(verbText);
  info.lpFile = Wide(fileText);
  info.lpParameters = Wide(parameterText);
  info.lpDirectory = Wide(directoryText);
  info.nShow = show;

  const auto execute = LoadSystemFunction<ShellExecuteExFunction>(L"shell32.dll", "ShellExecuteExW");
  if (execute && execute(&info)) return {true, reinterpret_cast<HandleValue>(info.hProcess), 0, Text()};
  const DWORD error = GetLastError();
  return {false, 0, error, SystemErrorText(error)};
}

bool ShowInExplorer(HandleValue owner, TextView path, bool isDirectory) {
  const Text quoted = Concat({u"\"", path, u"\""});
  const LaunchResult launch = LaunchProgram(owner, u"open", u"explorer.exe",
                                            isDirectory ? quoted : Concat({u"/select,", quoted}), u"", SW_SHOWNORMAL);
  if (launch.process) CloseHandle(reinterpret_cast<HANDLE>(launch.process));
  return launch.started;
}

}  // namespace rt
