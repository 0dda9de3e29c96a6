#include <vector>

#include "runtime/system/file_facts.h"
#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/user_files.h"
#include "runtime/system/win32_api.h"

namespace rt {
namespace {

bool RefusesAccess(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT; }

// The directory's security asked on this user's behalf, as the system would ask when a file is
// created there: no file is made to find out.
bool DirectoryLetsCreateFiles(const Text& directory) {
  const SECURITY_INFORMATION wanted =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  GetFileSecurityW(Wide(directory), wanted, nullptr, 0, &size);
  if (size == 0) return !RefusesAccess(GetLastError());
  std::vector<unsigned char> descriptor(size);
  if (!GetFileSecurityW(Wide(directory), wanted, descriptor.data(), size, &size)) return !RefusesAccess(GetLastError());

  OwnedHandle process, impersonation;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, process.out()) ||
      !DuplicateToken(process.get(), SecurityImpersonation, impersonation.out())) {
    return true;  // nothing known against it: the save itself will tell
  }
  GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
  PRIVILEGE_SET privileges{};
  DWORD privilegesSize = sizeof privileges, granted = 0;
  BOOL allowed = FALSE;
  if (!AccessCheck(descriptor.data(), impersonation.get(), FILE_ADD_FILE, &mapping, &privileges, &privilegesSize,
                   &granted, &allowed)) {
    return true;
  }
  return allowed != FALSE;
}

}  // namespace

bool CanWriteFile(TextView path) {
  const Text file(path);
  if (IsFile(file)) {
    const OwnedHandle opened(CreateFileW(Wide(file), GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    return opened || !RefusesAccess(GetLastError());
  }
  const Text directory = file.substr(0, file.find_last_of(u"\\/") + 1);
  return directory.empty() || DirectoryLetsCreateFiles(directory);
}

Text UserDataDirectory() {
  wchar_t value[32768] = {};
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", value, 32768);
  if (length == 0 || length >= 32768) return {};
  Text directory = FromWide(value, length);
  while (directory.ends_with(u'\\') || directory.ends_with(u'/')) directory.pop_back();
  return directory;
}

bool MakeDirectory(TextView path) {
  const Text directory(path);
  return CreateDirectoryW(Wide(directory), nullptr) || IsDirectory(directory);
}

bool RenameFile(TextView path, TextView newPath) {
  const Text from(path), to(newPath);
  return MoveFileExW(Wide(from), Wide(to), 0) != 0;
}

}  // namespace rt
