#include "tests/wine/test_paths.h"

#include <vector>

#include "runtime/system/win32_api.h"

namespace vxtest {
namespace {

constexpr DWORD kLongPath = 32768;

rt::Text WithoutTrailingSeparator(rt::Text path) {
  while (path.size() > 3 && path.back() == u'\\') path.pop_back();
  return path;
}

}  // namespace

rt::Text WinePathOf(std::string_view buildPath) {
  rt::Text path = FromUtf8(buildPath);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  // A path of the Linux build tree starts at its root; a Windows one already has its drive.
  if (!path.empty() && path.front() == u'\\' && (path.size() < 2 || path[1] != u'\\')) path = u"Z:" + path;
  return path;
}

rt::Text ExecutableDirectory() {
  std::vector<wchar_t> buffer(kLongPath);
  const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), kLongPath);
  const rt::Text path = rt::FromWide(buffer.data(), length);
  return path.substr(0, path.find_last_of(u'\\') + 1);
}

rt::Text PlatformCurrentDirectory() {
  std::vector<wchar_t> buffer(kLongPath);
  const DWORD length = GetCurrentDirectoryW(kLongPath, buffer.data());
  return WithoutTrailingSeparator(rt::FromWide(buffer.data(), length));
}

TempDirectory::TempDirectory() : path_(rt::Text(place_.path().begin(), place_.path().end()) + u"\\") {}

TempDirectory::~TempDirectory() = default;

rt::Text TempDirectory::operator/(rt::TextView name) const { return path_ + rt::Text(name); }

CurrentDirectoryScope::CurrentDirectoryScope(const rt::Text& directory) : previous_(PlatformCurrentDirectory()) {
  entered_ = SetCurrentDirectoryW(rt::Wide(directory)) != 0;
}

CurrentDirectoryScope::~CurrentDirectoryScope() { SetCurrentDirectoryW(rt::Wide(previous_)); }

bool MakeDirectory(const rt::Text& path) {
  return CreateDirectoryW(rt::Wide(path), nullptr) != 0 || DirectoryExists(path);
}

bool RemoveTree(const rt::Text& path) { return driver::RemoveTree(std::wstring(path.begin(), path.end())); }

bool FileExists(const rt::Text& path) {
  const DWORD attributes = GetFileAttributesW(rt::Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const rt::Text& path) {
  const DWORD attributes = GetFileAttributesW(rt::Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> ReadBytes(const rt::Text& path) {
  HANDLE file = CreateFileW(rt::Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, chunk, sizeof chunk, &read, nullptr) != 0) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

bool WriteBytes(const rt::Text& path, std::string_view bytes) {
  HANDLE file = CreateFileW(rt::Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
                  written == bytes.size();
  return CloseHandle(file) != 0 && ok;
}

bool CopyFileTo(const rt::Text& from, const rt::Text& to) {
  return CopyFileW(rt::Wide(from), rt::Wide(to), FALSE) != 0;
}

std::string Utf8(rt::TextView text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int count = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, count, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, count, result.data(), size, nullptr, nullptr);
  return result;
}

rt::Text FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int count = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), count, nullptr, 0);
  std::vector<wchar_t> wide(static_cast<std::size_t>(size));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), count, wide.data(), size);
  return rt::FromWide(wide.data(), wide.size());
}

}  // namespace vxtest
