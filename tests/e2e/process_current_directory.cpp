#include "tests/e2e/process_current_directory.h"

#include <winternl.h>

#include <cstdint>
#include <vector>

namespace e2e {
namespace {

using QueryFunction = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

// Where the system keeps the pointers, for the test's own pointer size (the layout has not
// changed since the first 32-bit and 64-bit systems).
constexpr bool kWide = sizeof(void*) == 8;
constexpr std::uintptr_t kParametersInPeb = kWide ? 0x20 : 0x10;
constexpr std::uintptr_t kCurrentDirectoryInParameters = kWide ? 0x38 : 0x24;
constexpr std::uintptr_t kBufferInUnicodeString = kWide ? 8 : 4;

template <typename T>
std::optional<T> Read(HANDLE process, std::uintptr_t address) {
  T value{};
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), &value, sizeof value, &read) ||
      read != sizeof value) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::wstring> ProcessCurrentDirectory(HANDLE process) {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return std::nullopt;
  const auto query =
      reinterpret_cast<QueryFunction>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtQueryInformationProcess")));
  if (!query) return std::nullopt;
  PROCESS_BASIC_INFORMATION basic{};
  if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return std::nullopt;

  const auto peb = reinterpret_cast<std::uintptr_t>(basic.PebBaseAddress);
  const auto parameters = Read<std::uintptr_t>(process, peb + kParametersInPeb);
  if (!parameters) return std::nullopt;
  const std::uintptr_t directory = *parameters + kCurrentDirectoryInParameters;
  const auto length = Read<USHORT>(process, directory);
  const auto buffer = Read<std::uintptr_t>(process, directory + kBufferInUnicodeString);
  if (!length || !buffer || *length % 2 != 0) return std::nullopt;

  std::vector<wchar_t> text(*length / 2);
  SIZE_T read = 0;
  if (!text.empty() && (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(*buffer), text.data(), *length, &read) ||
                        read != *length)) {
    return std::nullopt;
  }
  return std::wstring(text.begin(), text.end());
}

}  // namespace e2e
