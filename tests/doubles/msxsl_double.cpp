// A stand-in for the command-line XSLT processor msxsl.exe: it transforms nothing. Each start
// appends one launch record (what it was given and how it was started) to "msxsl-record.txt"
// beside the executable, then behaves as "msxsl-behaviour.txt" beside it says: by default it
// copies the input to the output named after "-o" and exits with 0 (1 when the record cannot
// be written). The record's and the rules' formats live with their reader.
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "tests/driver/launch_record.h"
#include "tests/driver/test_files.h"
#include "tests/driver/utf8_text.h"

namespace {

constexpr wchar_t kStylesheet[] = L"qRec7to4.xsl";
// Two stand-ins started together may meet at the file; the other one is done within moments.
constexpr int kWriteAttempts = 100;
constexpr DWORD kRetryPause = 20;

std::wstring ModuleDirectory() {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  const std::wstring full(path, length);
  return full.substr(0, full.find_last_of(L'\\') + 1);
}

std::wstring CurrentDirectory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring directory(size, L'\0');
  directory.resize(GetCurrentDirectoryW(size, directory.data()));
  return directory;
}

driver::LaunchRecord WhatThisStartWasGiven() {
  driver::LaunchRecord record;
  record.processId = GetCurrentProcessId();
  record.commandLine = GetCommandLineW();
  int count = 0;
  if (wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) record.arguments.emplace_back(arguments[i]);
    LocalFree(arguments);
  }
  record.workingDirectory = CurrentDirectory();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  record.usesShowWindow = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;
  record.showWindow = startup.wShowWindow;
  // Relative, as the real processor reads it: against the working directory.
  const DWORD attributes = GetFileAttributesW(kStylesheet);
  record.stylesheetPresent = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  return record;
}

// One WriteFile of the whole record in append mode, so records of concurrent starts never mix.
bool Append(const std::wstring& file, const std::string& bytes) {
  for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
    HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const BOOL ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(handle);
      return ok && written == bytes.size();
    }
    // Any refusal is tried again: a missing record stops a test for good, a late one does not.
    Sleep(kRetryPause);
  }
  return false;
}

// A fresh file, as a processor writes it (a copy would keep the input's time).
void WriteOutput(const driver::LaunchRecord& record) {
  const auto option = std::find(record.arguments.begin(), record.arguments.end(), L"-o");
  if (option == record.arguments.end() || option + 1 == record.arguments.end()) return;
  std::string bytes = record.arguments.empty() ? std::string() : driver::ReadTextFile(record.arguments.front());
  if (bytes.empty()) bytes = "<converted/>";
  HANDLE handle =
      CreateFileW((option + 1)->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(handle);
}

// A copy of itself that keeps the output pipe open, as a program started by a processor may.
void StartPipeHolder() {
  wchar_t program[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH * 2);
  std::wstring commandLine = L"\"" + std::wstring(program) + L"\" " + driver::kPipeHolderArgument;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (CreateProcessW(program, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

void WriteErrorText(const std::wstring& text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (text.empty() || error == nullptr || error == INVALID_HANDLE_VALUE) return;
  const std::string bytes = driver::ToUtf8(text);
  DWORD written = 0;
  WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const driver::LaunchRecord record = WhatThisStartWasGiven();
  if (record.arguments.size() == 1 && record.arguments.front() == driver::kPipeHolderArgument) {
    Sleep(INFINITE);
    return 0;
  }
  const std::wstring directory = ModuleDirectory();
  if (!Append(directory + driver::kLaunchRecordFile, driver::FormatLaunchRecord(record))) {
    WriteErrorText(L"the stand-in could not write its record, error " + std::to_wstring(GetLastError()));
    return 1;
  }

  const std::string rules = driver::ReadTextFile(directory + driver::kBehaviourFile);
  const driver::DoubleBehaviour behaviour =
      driver::BehaviourFor(rules, record.arguments.empty() ? std::wstring() : record.arguments.front());
  if (behaviour.startsPipeHolder) StartPipeHolder();
  if (behaviour.writesOutput && behaviour.writesOutputFirst) WriteOutput(record);
  Sleep(behaviour.pauseMilliseconds);  // kForever is INFINITE
  if (!behaviour.gate.empty()) {
    if (HANDLE gate = OpenEventW(SYNCHRONIZE, FALSE, behaviour.gate.c_str())) {
      WaitForSingleObject(gate, 60'000);
      CloseHandle(gate);
    }
  }
  if (behaviour.writesOutput && !behaviour.writesOutputFirst) WriteOutput(record);
  WriteErrorText(behaviour.errorText);
  return static_cast<int>(behaviour.exitCode);
}
