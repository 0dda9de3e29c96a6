#include <algorithm>
#include <vector>

#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/system_services.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/command_line.h"

namespace rt {
namespace {

HMODULE g_instance = nullptr;

constexpr std::size_t kSectionLimit = 63;
constexpr std::size_t kValueLimit = 1023;
constexpr std::size_t kFileLimit = 259;
constexpr DWORD kPathBuffer = 260;

// Larger than any settings file a person keeps; reading more would only cost memory.
constexpr ULONGLONG kSettingsFileLimit = 1024 * 1024;

Text Cut(TextView text, std::size_t limit) { return CLIP(text).substr(0, limit); }

static_assert(kNotASettingsFile == ERROR_FILE_CORRUPT);

}  // namespace

// The profile functions would rewrite a foreign or damaged file and lose it: only a file that is
// absent or looks like text is used.
std::uint32_t SettingsFileProblem(TextView file) {
  const Text name(file);
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExW(Wide(name), GetFileExInfoStandard, &info)) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return kNotASettingsFile;
  const ULONGLONG size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > kSettingsFileLimit) return kNotASettingsFile;

  const OwnedHandle handle(CreateFileW(Wide(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return GetLastError();
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return GetLastError();
  }
  bytes.resize(read);
  const bool unicode = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
  return unicode || std::find(bytes.begin(), bytes.end(), 0) == bytes.end() ? 0 : kNotASettingsFile;
}

void InitRuntime() { g_instance = GetModuleHandleW(nullptr); }

void NoSystemErrorDialogs() { SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX); }

HandleValue InstanceHandle() { return reinterpret_cast<HandleValue>(g_instance); }

Text ExecutablePath() {
  wchar_t buffer[kPathBuffer] = {};
  GetModuleFileNameW(reinterpret_cast<HMODULE>(InstanceHandle()), buffer, kPathBuffer);
  buffer[kPathBuffer - 1] = L'\0';  // older systems leave a cut path unterminated
  return FromWide(buffer);
}

std::vector<Text> ProgramArguments() { return CommandLineArguments(FromWide(GetCommandLineW())); }

Text CurrentDirectory() {
  ClearErrorState();
  wchar_t current[kPathBuffer + 1] = {};
  if (GetCurrentDirectoryW(kPathBuffer + 1, current) == 0) return Text();
  wchar_t full[kPathBuffer] = {};
  const DWORD fullLength = GetFullPathNameW(current, kPathBuffer, full, nullptr);
  if (fullLength == 0 || fullLength >= kPathBuffer) return FromWide(current).substr(0, kFileLimit);
  wchar_t longName[kPathBuffer] = {};
  const DWORD longLength = GetLongPathNameW(full, longName, kPathBuffer);
  if (longLength == 0 || longLength >= kPathBuffer) return FromWide(full).substr(0, kFileLimit);
  return FromWide(longName).substr(0, kFileLimit);
}

void ChangeDirectory(TextView path) {
  const Text target = Cut(path, kPathBuffer);
  if (!target.empty() && SetCurrentDirectoryW(Wide(target))) {
    ClearErrorState();
  } else {
    SetErrorState(kPathNotFound);
  }
}

Text GETINI(TextView section, TextView entry, TextView defaultValue, TextView file) {
  const Text sectionText = Cut(section, kSectionLimit);
  const Text entryText = Cut(entry, kSectionLimit);
  const Text defaultText = Cut(defaultValue, kValueLimit);
  const Text fileText = Cut(file, kFileLimit);
  wchar_t buffer[kValueLimit + 1] = {};
  if (fileText.empty()) {
    GetProfileStringW(Wide(sectionText), Wide(entryText), Wide(defaultText), buffer, kValueLimit + 1);
  } else if (SettingsFileProblem(fileText) == 0) {
    GetPrivateProfileStringW(Wide(sectionText), Wide(entryText), Wide(defaultText), buffer, kValueLimit + 1,
                             Wide(fileText));
  } else {
    return defaultText;
  }
  return FromWide(buffer);
}

std::uint32_t SETINI(TextView section, TextView entry, TextView value, TextView file) {
  const Text sectionText = Cut(section, kSectionLimit);
  const Text entryText = Cut(entry, kSectionLimit);
  const Text valueText = Cut(value, kValueLimit);
  const Text fileText = Cut(file, kFileLimit);
  BOOL written = TRUE;
  if (fileText.empty()) {
    written = WriteProfileStringW(Wide(sectionText), Wide(entryText), Wide(valueText));
  } else if (const std::uint32_t problem = SettingsFileProblem(fileText); problem != 0) {
    return problem;
  } else {
    written = WritePrivateProfileStringW(Wide(sectionText), Wide(entryText), Wide(valueText), Wide(fileText));
  }
  if (written) return 0;
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_WRITE_FAULT;
}

LONG SplitPath(TextView path, Text& drive, Text& directory, Text& name, Text& extension) {
  const auto first = path.find_first_not_of(kBlank);
  const Text given = first == TextView::npos ? Text() : CLIP(path.substr(first));
  wchar_t full[kPathBuffer] = {};
  const DWORD length = given.empty() ? 0 : GetFullPathNameW(Wide(given), kPathBuffer, full, nullptr);
  const PathParts parts = SplitFullPath(length > 0 && length < kPathBuffer ? FromWide(full) : given);
  drive = parts.drive;
  directory = parts.directory;
  name = parts.name;
  extension = parts.extension;
  return parts.flags;
}

Text TextOfAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  const auto size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  Text text(static_cast<std::size_t>(std::max(length, 0)), u'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()), length);
  return text;
}

bool LocaleDayFirst() {
  // "0": month, day, year; "1": day, month, year; "2": year, month, day.
  wchar_t order[4] = {};
  return !GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_IDATE, order, 4) || order[0] != L'0';
}

}  // namespace rt
