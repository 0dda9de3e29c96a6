#include "runtime/process/program_launch.h"
#include "runtime/system/system_library_win32.h"
#include "runtime/system/win32_api.h"

namespace rt {
namespace {

using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);

}  // namespace

Text SystemDescription(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  Text text = length && buffer ? FromWide(buffer, length) : Text();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  return text;
}

Text SystemErrorText(std::uint32_t code) {
  const Text text = SystemDescription(code);
  return text.empty() ? u"Error " + FORMAT(static_cast<LONG>(code), u"N0") : text;  // digits alone
}

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

}  // namespace rt
