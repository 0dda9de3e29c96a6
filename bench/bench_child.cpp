#include "bench/bench_child.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>

namespace bench {
namespace {

// A program that outlives its benchmark is asked to close, then ended after this long.
constexpr DWORD kFinalCloseMs = 5000;

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

double Milliseconds(const FILETIME& time) {
  const ULONGLONG units = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<double>(units) / 10000.0;  // 100 ns units
}

// The same for a point in time, so that two of them can be subtracted without losing the
// fraction of a millisecond.
LONGLONG Units(const FILETIME& time) {
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

double ElapsedMilliseconds(const LARGE_INTEGER& since) {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - since.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& currentDirectory,
                           const std::wstring& arguments, ChildOutput output) {
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE nowhere = output == ChildOutput::Nowhere
                             ? CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                           OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
  if (nowhere != INVALID_HANDLE_VALUE) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
  }
  PROCESS_INFORMATION info{};
  GetSystemTimePreciseAsFileTime(&startTime_);
  QueryPerformanceCounter(&startTicks_);
  const BOOL started =
      CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, nowhere != INVALID_HANDLE_VALUE, 0, nullptr,
                     currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &info);
  if (!started) startError_ = GetLastError();
  if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
  if (!started) return;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
}

ChildProcess::~ChildProcess() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) Close(kFinalCloseMs);
  CloseHandle(process_);
}

double ChildProcess::WaitUntilShown(DWORD timeoutMs) {
  if (!process_) return -1;
  // Blocks without polling until the program first waits for input: the window is usually
  // up by then, and the watcher takes no processor time from the start it watches.
  WaitForInputIdle(process_, timeoutMs);
  for (;;) {
    WindowSearch search{processId_, nullptr};
    EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      // Answered only once the program's thread takes messages again.
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
      window_ = search.found;
      return ElapsedMilliseconds(startTicks_);
    }
    if (ElapsedMilliseconds(startTicks_) > timeoutMs) return -1;
    if (WaitForSingleObject(process_, 1) != WAIT_TIMEOUT) return -1;  // ended without a window
  }
}

double ChildProcess::MillisecondsSinceStart() const { return ElapsedMilliseconds(startTicks_); }

double ChildProcess::MillisecondsUntil(const FILETIME& moment) const {
  return static_cast<double>(Units(moment) - Units(startTime_)) / 10000.0;
}

double ChildProcess::ProcessorMilliseconds() const {
  // The sum over the program's threads: Wine keeps GetProcessTimes of another process at
  // about zero, but reports each thread's real figures. On Windows both agree while the
  // threads live.
  if (!process_) return -1;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  double total = 0;
  bool any = false;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != processId_) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (GetThreadTimes(thread, &creation, &exit, &kernel, &user)) {
      total += Milliseconds(kernel) + Milliseconds(user);
      any = true;
    }
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return any ? total : -1;
}

std::size_t ChildProcess::Handles() const {
  // SystemHandleInformation (16): every handle of the system with its owner's process id.
  struct Entry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectType;
    UCHAR attributes;
    USHORT handle;
    PVOID object;
    ULONG access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query || !process_) return 0;
  std::vector<unsigned char> buffer(1 << 20);
  ULONG needed = 0;
  LONG status = 0;
  while ((status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<LONG>(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH
    buffer.resize(buffer.size() * 2);
  }
  if (status < 0) return 0;
  ULONG count = 0;
  std::memcpy(&count, buffer.data(), sizeof count);
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
  std::size_t handles = 0;
  for (ULONG i = 0; i < count; ++i) {
    if (entries[i].processId == static_cast<USHORT>(processId_)) ++handles;
  }
  return handles;
}

MemoryFigures ChildProcess::Memory() const {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!process_ ||
      !GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
    return {};
  }
  // Windows gives the commit charge in both fields; Wine only in PagefileUsage.
  const SIZE_T privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  return {counters.PeakWorkingSetSize, privateBytes, counters.WorkingSetSize};
}

std::vector<std::wstring> ChildProcess::Modules() const {
  std::vector<std::wstring> names;
  if (!process_) return names;
  std::vector<HMODULE> modules(512);
  DWORD needed = 0;
  if (!EnumProcessModules(process_, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed)) {
    return names;
  }
  modules.resize(std::min<std::size_t>(modules.size(), needed / sizeof(HMODULE)));
  for (HMODULE module : modules) {
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameExW(process_, module, path, MAX_PATH)) names.emplace_back(path);
  }
  return names;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

bool ChildProcess::Close(DWORD timeoutMs) {
  if (!process_) return false;
  if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) return true;
  TerminateProcess(process_, 1);
  WaitForSingleObject(process_, timeoutMs);
  return false;
}

std::wstring ExecutableDirectory() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory(path);
  directory.resize(directory.find_last_of(L'\\') + 1);
  return directory;
}

ScratchDirectory::ScratchDirectory() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate = std::wstring(temp) + L"vexilate-bench-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(attempt);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate + L"\\";
      return;
    }
  }
}

ScratchDirectory::~ScratchDirectory() {
  if (path_.empty()) return;
  for (const auto& file : files_) DeleteFileW(file.c_str());
  RemoveDirectoryW(path_.c_str());
}

std::wstring ScratchDirectory::Copy(const std::wstring& file) {
  if (path_.empty()) return std::wstring();
  const std::wstring copy = path_ + FileName(file);
  if (!CopyFileW(file.c_str(), copy.c_str(), FALSE)) return std::wstring();
  files_.push_back(copy);
  return copy;
}

std::wstring FileName(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
  return text;
}

}  // namespace bench
