#include <vector>

#include "runtime/system/system_error.h"
#include "runtime/system/win32_api.h"
#include "transform/xslt/read_only_file.h"

namespace rt {
namespace {

// The name as the system gives it for an open handle, in the form paths are written in:
// "C:\…" and "\\server\share\…".
Text FinalNameOf(HANDLE handle) {
  std::vector<wchar_t> name(MAX_PATH + 1);
  DWORD length = GetFinalPathNameByHandleW(handle, name.data(), static_cast<DWORD>(name.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= name.size()) {
    name.resize(length + 1);
    length = GetFinalPathNameByHandleW(handle, name.data(), static_cast<DWORD>(name.size()),
                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  if (length == 0 || length >= name.size()) return Text();
  Text final = FromWide(name.data(), length);
  if (final.starts_with(u"\\\\?\\UNC\\")) return u"\\\\" + final.substr(8);
  if (final.starts_with(u"\\\\?\\")) return final.substr(4);
  return final;
}

// The path made full, and in the form that opens any length and no device: a device's name
// ("COM1", "CON", "NUL", also in a folder) comes out as "\\.\COM1" and is not opened at all.
Text OpenablePath(TextView path) {
  const Text given(path);
  std::vector<wchar_t> full(given.size() + MAX_PATH + 1);
  DWORD length = GetFullPathNameW(Wide(given), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length + 1);
    length = GetFullPathNameW(Wide(given), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  if (length == 0 || length >= full.size()) return Text();
  const Text made = FromWide(full.data(), length);
  if (made.starts_with(u"\\\\.\\") || made.starts_with(u"\\\\?\\")) return Text();
  if (made.starts_with(u"\\\\")) return u"\\\\?\\UNC\\" + made.substr(2);
  return u"\\\\?\\" + made;
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(TextView path) {
  const Text openable = OpenablePath(path);
  if (openable.empty()) {
    kind_ = Kind::kOther;
    return;
  }
  const HANDLE file = CreateFileW(Wide(openable), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    systemText_ = SystemErrorText(GetLastError());
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  BY_HANDLE_FILE_INFORMATION facts{};
  const bool disk = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &facts) &&
                    !(facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  kind_ = disk ? Kind::kDiskFile : Kind::kOther;
}

const Text& ReadOnlyFile::finalPath() const {
  if (!finalPathAsked_ && kind_ == Kind::kDiskFile) finalPath_ = FinalNameOf(reinterpret_cast<HANDLE>(handle_));
  finalPathAsked_ = true;
  return finalPath_;
}

ReadOnlyFile::~ReadOnlyFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::int64_t ReadOnlyFile::Read(char* buffer, std::size_t size) {
  if (kind_ != Kind::kDiskFile) return -1;
  DWORD read = 0;
  const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, asked, &read, nullptr)) return -1;
  return read;
}

Text FinalFolderPath(TextView folder, Text& systemText) {
  const Text openable = OpenablePath(folder);
  const HANDLE handle = openable.empty() ? INVALID_HANDLE_VALUE
                                         : CreateFileW(Wide(openable), FILE_READ_ATTRIBUTES,
                                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    systemText = SystemErrorText(openable.empty() ? ERROR_INVALID_NAME : GetLastError());
    return Text();
  }
  Text name = FinalNameOf(handle);
  CloseHandle(handle);
  return name;
}

}  // namespace rt
