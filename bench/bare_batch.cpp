// The baseline of the batch benchmark: starts the processor for each file in a row the way a
// batch does (hidden, standard output and error captured through a pipe, waited for), with
// nothing else around it.
//
//   bare_batch <processor> <input directory> <output directory> <first> <count>
//
// Input names are those of bench/batch_names.h.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "bench/batch_names.h"

namespace {

void RunOnce(const std::wstring& processor, const std::wstring& input, const std::wstring& output) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &inheritable, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::wstring commandLine = L"\"" + processor + L"\" " + input + L" qRec7to4.xsl -o " + output;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(processor.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(writeEnd);
    writeEnd = nullptr;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  if (writeEnd) CloseHandle(writeEnd);
  CloseHandle(readEnd);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) return 2;
  const int first = _wtoi(argv[4]), count = _wtoi(argv[5]);
  for (int n = first; n < first + count; ++n) {
    RunOnce(argv[1], std::wstring(argv[2]) + L"\\" + bench::BatchName(n),
            std::wstring(argv[3]) + L"\\" + bench::BatchOutputName(n));
  }
  return 0;
}
