#include "runtime/system/file_part.h"
#include "runtime/system/owned_handle_win32.h"

namespace rt {

std::uint32_t ReadFilePart(TextView path, std::uint64_t offset, std::size_t most, std::string& bytes,
                           std::uint64_t& size) {
  size = 0;
  // The room of the last part is kept: a reader of many parts fills them without clearing them first.
  const auto failed = [&bytes] {
    const DWORD error = GetLastError();
    bytes.clear();
    return error;
  };
  const Text name(path);
  const OwnedHandle file(CreateFileW(Wide(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return failed();
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file.get(), &length)) return failed();
  size = static_cast<std::uint64_t>(length.QuadPart);
  bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(offset < size ? size - offset : 0, most)));
  if (bytes.empty()) return 0;
  LARGE_INTEGER start{};
  start.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) return failed();
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    DWORD read = 0;
    const auto asked = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1u << 24));
    if (!ReadFile(file.get(), bytes.data() + filled, asked, &read, nullptr)) return failed();
    if (read == 0) break;  // cut short meanwhile
    filled += read;
  }
  bytes.resize(filled);
  return 0;
}

}  // namespace rt
