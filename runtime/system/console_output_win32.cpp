#include "runtime/system/console_output.h"
#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/win32_api.h"
// After windows.h, which it builds on.
#include <tlhelp32.h>

namespace rt {
namespace {

// Whether the program that started this one is a console program (cmd, PowerShell, the cmd of a
// .bat file), as its image's subsystem says: a program with a window of its own has no console of
// its own to ask.
bool StartedByAConsoleProgram() {
  const OwnedHandle processes(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!processes) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32FirstW(processes.get(), &entry); more; more = Process32NextW(processes.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  const OwnedHandle starter(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent));
  wchar_t image[MAX_PATH * 4] = L"";
  DWORD size = MAX_PATH * 4;
  if (!starter || !QueryFullProcessImageNameW(starter.get(), 0, image, &size)) return false;
  const OwnedHandle file(CreateFileW(image, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS32 nt{};  // the subsystem lies at the same place in a 64-bit image's headers
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), &dos, sizeof dos, &read, nullptr) || read != sizeof dos ||
      dos.e_magic != IMAGE_DOS_SIGNATURE ||
      SetFilePointer(file.get(), dos.e_lfanew, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !ReadFile(file.get(), &nt, sizeof nt, &read, nullptr) || read != sizeof nt ||
      nt.Signature != IMAGE_NT_SIGNATURE) {
    return false;
  }
  return nt.OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace

ConsoleOutput::ConsoleOutput() {
  // Output redirected by the starter (`> log.txt`, a pipe) comes as the standard handle.
  const HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
  if (given && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN) {
    handle_ = given;
    DWORD mode = 0;
    console_ = GetFileType(given) == FILE_TYPE_CHAR && GetConsoleMode(given, &mode);
    if (console_) return;
    // Started from a console, the file is read back by that console's tools (`type`, `findstr`)
    // in its code page, as its own programs write it: the one it shows when it can be asked, else
    // the OEM one, which a console shows unless changed with chcp.
    attached_ = AttachConsole(ATTACH_PARENT_PROCESS);
    UINT page = attached_ ? GetConsoleOutputCP() : 0;
    if (page == 0 && StartedByAConsoleProgram()) page = GetOEMCP();
    if (page != 0) {
      codePage_ = page;
      return;
    }
    // Nobody's console: UTF-8, which a new file tells by its byte order mark.
    LARGE_INTEGER at{}, length{};
    byteOrderMark_ = GetFileType(given) == FILE_TYPE_DISK && SetFilePointerEx(given, {}, &at, FILE_CURRENT) &&
                     GetFileSizeEx(given, &length) && at.QuadPart == 0 && length.QuadPart == 0;
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
  if (attached_ && console_ && handle_) CloseHandle(static_cast<HANDLE>(handle_));
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
      WideCharToMultiByte(codePage_, 0, Wide(text), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(byteOrderMark_ ? "\xEF\xBB\xBF" : "");
  const std::size_t at = bytes.size();
  bytes.resize(at + static_cast<std::size_t>(size));
  WideCharToMultiByte(codePage_, 0, Wide(text), static_cast<int>(text.size()), bytes.data() + at, size, nullptr,
                      nullptr);
  byteOrderMark_ = false;
  WriteFile(static_cast<HANDLE>(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace rt
