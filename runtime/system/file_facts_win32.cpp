#include <string_view>

#include "runtime/system/file_facts.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/path_split.h"

namespace rt {
namespace {

std::int64_t FromFileTime(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

}  // namespace

std::int64_t FileTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return FromFileTime(now);
}

std::optional<std::int64_t> LastWriteTime(TextView path) {
  const std::optional<FileFacts> facts = FactsOf(path);
  return facts ? std::optional(facts->lastWriteTime) : std::nullopt;
}

std::optional<FileFacts> FactsOf(TextView path) {
  // A path of 260 characters or more is read in its long form: else its size would read as 0.
  const Text name = ExtendedLengthPath(FullPath(path));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Wide(name), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return FileFacts{(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                   FromFileTime(data.ftLastWriteTime)};
}

LocalTime LocalTimeOf(std::int64_t fileTime) {
  const auto bits = static_cast<std::uint64_t>(fileTime);
  const FILETIME time{static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
  SYSTEMTIME universal{}, local{};
  if (!FileTimeToSystemTime(&time, &universal)) return {};
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) local = universal;
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

bool KeepsLocalTimes(TextView path) {
  wchar_t volume[MAX_PATH + 1] = {};
  wchar_t system[MAX_PATH + 1] = {};
  const Text name(path);
  if (!GetVolumePathNameW(Wide(name), volume, MAX_PATH) ||
      !GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH)) {
    return false;
  }
  const std::wstring_view kind(system);
  return kind.starts_with(L"FAT") || kind == L"exFAT";
}

bool IsDirectory(TextView path) {
  const Text name(path);
  const DWORD attributes = GetFileAttributesW(Wide(name));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(TextView path) { return LastWriteTime(path).has_value(); }

std::vector<Text> FilesIn(TextView directory) {
  return FilesMatching(directory.ends_with(u'\\') || directory.ends_with(u'/') ? Concat({directory, u"*"})
                                                                               : Concat({directory, u"\\*"}));
}

std::vector<ListedFile> ListFilesIn(TextView directory) {
  const bool separated = directory.ends_with(u'\\') || directory.ends_with(u'/');
  const Text folder = separated ? Text(directory) : Concat({directory, u"\\"});
  std::vector<ListedFile> files;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileExW(Wide(folder + u"*"), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    files.push_back({folder + FromWide(found.cFileName),
                     (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                     FromFileTime(found.ftLastWriteTime)});
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

std::vector<Text> FilesMatching(TextView pattern) {
  const Text folder(pattern.substr(0, pattern.find_last_of(u"\\/") + 1));
  std::vector<Text> files;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(Wide(Text(pattern)), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + FromWide(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return files;
}

Text FullPath(TextView path) {
  const Text name(path);
  const DWORD size = GetFullPathNameW(Wide(name), 0, nullptr, nullptr);
  if (size == 0) return name;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(Wide(name), size, full.data(), nullptr);
  if (length == 0 || length >= size) return name;
  return FromWide(full.c_str(), length);
}

Text LongPath(TextView path) {
  const Text name(path);
  const DWORD size = GetLongPathNameW(Wide(name), nullptr, 0);
  if (size == 0) return name;
  std::wstring longName(size, L'\0');
  const DWORD length = GetLongPathNameW(Wide(name), longName.data(), size);
  if (length == 0 || length >= size) return name;
  return FromWide(longName.c_str(), length);
}

}  // namespace rt
