#include <atomic>

#include "runtime/system/output_in_place.h"
#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/temporary_name.h"

namespace rt {
namespace {

std::uint32_t ThisComputer() {
  static const std::uint32_t digest = [] {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &length) ? ComputerDigest(FromWide(name, length)) : 0u;
  }();
  return digest;
}

// A process that cannot be opened for another reason than that there is none (another
// user's) counts as running.
bool ProcessRuns(std::uint32_t id) {
  if (id == GetCurrentProcessId()) return true;
  const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  return process || GetLastError() != ERROR_INVALID_PARAMETER;
}

std::atomic<std::uint32_t> g_serial{0};

}  // namespace

Text UnusedNameBeside(TextView path) {
  const TextView directory = path.substr(0, path.find_last_of(u"\\/") + 1);
  const TemporaryOwner owner{GetCurrentProcessId(), ThisComputer()};
  Text name;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    name = Concat({directory, TemporaryName(owner, ++g_serial)});
    if (GetFileAttributesW(Wide(name)) == INVALID_FILE_ATTRIBUTES) break;
  }
  return name;
}

void RemoveLeftTemporaries(TextView directory) {
  Text folder(directory);
  if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder.push_back(u'\\');
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(Wide(folder + u"vxt*.tmp"), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const Text name = FromWide(found.cFileName);
    const auto owner = OwnerOfTemporaryName(name);
    if (!owner || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (owner->computer == ThisComputer() && !ProcessRuns(owner->process)) DeleteFileW(Wide(folder + name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool PutInPlace(TextView written, TextView target, std::uint32_t& error) {
  const Text from(written), to(target);
  const bool moved = MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  error = moved ? 0 : GetLastError();
  return moved;
}

void RemoveFile(TextView path) {
  const Text name(path);
  DeleteFileW(Wide(name));
}

}  // namespace rt
