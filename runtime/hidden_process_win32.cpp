#include "runtime/file_facts.h"
#include "runtime/hidden_process.h"
#include "runtime/win32_api.h"

namespace rt {
namespace {

// Closes a handle when it goes.
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  ~OwnedHandle() { Reset(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }
  void Reset() {
    if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace

Text FindProgram(TextView name) {
  const Text current = CurrentDirectory();
  const Text here = Concat({current, current.ends_with(u'\\') ? u"" : u"\\", name});
  if (IsFile(here)) return here;
  const Text wanted(name);
  wchar_t found[32768];
  const DWORD length = SearchPathW(nullptr, Wide(wanted), nullptr, 32768, found, nullptr);
  if (length == 0 || length >= 32768) return {};
  return FromWide(found, length);
}

HiddenRun RunHidden(TextView program, TextView parameters, TextView directory, std::size_t captureLimit) {
  HiddenRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  OwnedHandle readEnd, writeEnd;
  if (!CreatePipe(readEnd.out(), writeEnd.out(), &inheritable, 0)) {
    run.systemError = GetLastError();
    return run;
  }
  SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

  // The command line as the shell writes it: the quoted program, then the parameter text.
  Text commandLine = Concat({u"\"", program, u"\"", parameters});
  const Text programText(program), directoryText(directory);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(Wide(programText), reinterpret_cast<wchar_t*>(commandLine.data()), nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW, nullptr, directoryText.empty() ? nullptr : Wide(directoryText), &startup,
                      &process)) {
    run.systemError = GetLastError();
    return run;
  }
  run.started = true;
  OwnedHandle processHandle(process.hProcess), threadHandle(process.hThread);
  writeEnd.Reset();  // the pipe ends when the program and its children let go of it

  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(readEnd.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    const std::size_t room = captureLimit - std::min(captureLimit, run.captured.size());
    run.captured.append(buffer, std::min<std::size_t>(room, read));
  }
  WaitForSingleObject(processHandle.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(processHandle.get(), &code);
  run.exitCode = code;
  return run;
}

Text ConsoleText(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  const UINT codePage = length > 0 ? CP_UTF8 : CP_OEMCP;
  const DWORD flags = length > 0 ? MB_ERR_INVALID_CHARS : 0;
  length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), length);
  return FromWide(text.c_str(), text.size());
}

}  // namespace rt
