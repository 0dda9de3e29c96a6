#include "runtime/system/console_output.h"
#include "runtime/system/win32_api.h"

namespace rt {

ConsoleOutput::ConsoleOutput() {
  // Output redirected by the starter (`> log.txt`, a pipe) comes as the standard handle.
  const HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
  if (given && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN) {
    handle_ = given;
    DWORD mode = 0;
    console_ = GetFileType(given) == FILE_TYPE_CHAR && GetConsoleMode(given, &mode);
    return;
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;  // nobody to tell
  attached_ = true;
  const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (screen != INVALID_HANDLE_VALUE) {
    handle_ = screen;
    console_ = true;
  }
}

ConsoleOutput::~ConsoleOutput() {
  if (attached_ && handle_) CloseHandle(static_cast<HANDLE>(handle_));
  if (attached_) FreeConsole();
}

void ConsoleOutput::WriteLine(TextView line) {
  if (!handle_) return;
  const Text text = Concat({line, u"\r\n"});
  DWORD written = 0;
  if (console_) {
    WriteConsoleW(static_cast<HANDLE>(handle_), Wide(text), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, Wide(text), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Wide(text), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  WriteFile(static_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace rt
