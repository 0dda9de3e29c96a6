#include "tests/driver/process_control.h"

// After windows.h, which it builds on.
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "tests/driver/file_dialogs.h"

namespace driver {
namespace {

// How long a killed process may take to go.
constexpr DWORD kKillWait = 5000;

std::wstring NameOf(const std::wstring& entry) {
  // "=C:=C:\dir" entries keep a leading "=" in their name.
  const std::size_t equals = entry.find(L'=', 1);
  return entry.substr(0, equals);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The test's own environment with the extra variables put in: a block sorted by name,
// case-insensitively, as the system keeps it.
std::vector<wchar_t> EnvironmentBlock(const std::vector<EnvironmentVariable>& extra) {
  std::vector<std::wstring> entries;
  if (wchar_t* strings = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) entries.emplace_back(entry);
    FreeEnvironmentStringsW(strings);
  }
  for (const EnvironmentVariable& variable : extra) {
    std::erase_if(entries, [&](const std::wstring& entry) { return SameName(NameOf(entry), variable.name); });
    entries.push_back(variable.name + L"=" + variable.value);
  }
  std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
    const std::wstring nameA = NameOf(a), nameB = NameOf(b);
    return CompareStringOrdinal(nameA.c_str(), static_cast<int>(nameA.size()), nameB.c_str(),
                                static_cast<int>(nameB.size()), TRUE) == CSTR_LESS_THAN;
  });
  std::vector<wchar_t> block;
  for (const std::wstring& entry : entries) {
    block.insert(block.end(), entry.begin(), entry.end());
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  // Backslashes are literal except before a quote, where each must be doubled.
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

Process Process::Launch(const std::wstring& executable, const std::vector<std::wstring>& arguments,
                        const std::wstring& currentDirectory, const std::vector<EnvironmentVariable>& extraEnvironment,
                        HANDLE output) {
  std::wstring commandLine = QuoteArgument(executable);
  for (const std::wstring& argument : arguments) commandLine += L" " + QuoteArgument(argument);
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  std::vector<wchar_t> environment = EnvironmentBlock(extraEnvironment);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (output) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = output;
  }
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(executable.c_str(), line.data(), nullptr, nullptr, output != nullptr, CREATE_UNICODE_ENVIRONMENT,
                      environment.data(), currentDirectory.c_str(), &startup, &info)) {
    const DWORD error = GetLastError();
    throw DriverError(L"Cannot start " + commandLine + L" in \"" + currentDirectory + L"\" (error " +
                      std::to_wstring(error) + L")");
  }
  CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId, info.dwThreadId);
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      processId_(std::exchange(other.processId_, 0)),
      threadId_(std::exchange(other.threadId_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Release();
    process_ = std::exchange(other.process_, nullptr);
    processId_ = std::exchange(other.processId_, 0);
    threadId_ = std::exchange(other.threadId_, 0);
  }
  return *this;
}

Process::~Process() { Release(); }

void Process::Release() {
  if (process_ == nullptr) return;
  Kill();
  CloseHandle(process_);
  process_ = nullptr;
}

bool Process::IsRunning() const { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD Process::WaitForExit(Timeout timeout) const {
  const DWORD milliseconds = static_cast<DWORD>(timeout.count());
  if (WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0) {
    throw DriverError(L"Timed out after " + std::to_wstring(timeout.count()) + L" ms waiting for process " +
                      std::to_wstring(processId_) + L" to exit. Visible top-level windows of process " +
                      std::to_wstring(processId_) + L": " + DescribeVisibleWindows(processId_));
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

std::vector<DWORD> ProcessesOf(const std::wstring& executable) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (!process) continue;
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    // A process on its way out may still be listed; only one still running counts.
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT && QueryFullProcessImageNameW(process, 0, image, &size) &&
        SamePath(std::wstring(image, size), executable)) {
      found.push_back(entry.th32ProcessID);
    }
    CloseHandle(process);
  }
  CloseHandle(snapshot);
  return found;
}

void EndProcessesOf(const std::wstring& executable) {
  for (const DWORD id : ProcessesOf(executable)) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, kKillWait);
      CloseHandle(process);
    }
  }
}

void Process::Kill() {
  if (!IsRunning()) return;
  TerminateProcess(process_, 1);
  WaitForSingleObject(process_, kKillWait);
}

}  // namespace driver
