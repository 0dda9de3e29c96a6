#include "tests/driver/test_files.h"

#include <windows.h>

#include "tests/driver/driver_error.h"

namespace driver {

std::wstring ExecutableDirectory() {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  const std::wstring full(path, length);
  return full.substr(0, full.find_last_of(L'\\') + 1);
}

std::wstring BesideExecutable(const std::wstring& name) { return ExecutableDirectory() + name; }

TempDirectory::TempDirectory() {
  wchar_t base[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, base);
  // The long form: dialogs show long names, and paths are compared with what they show.
  wchar_t longBase[MAX_PATH * 2] = {};
  const DWORD longLength = GetLongPathNameW(base, longBase, MAX_PATH * 2);
  std::wstring root =
      longLength > 0 && longLength < MAX_PATH * 2 ? std::wstring(longBase, longLength) : std::wstring(base, length);
  if (!root.empty() && root.back() != L'\\') root += L'\\';
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate =
        root + L"vexilate-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount() + attempt);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
  throw DriverError(L"Cannot create a temporary directory under " + root);
}

TempDirectory::~TempDirectory() { RemoveTree(path_); }

bool RemoveTree(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str()) != 0;

  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  return RemoveDirectoryW(path.c_str()) != 0;
}

void MakeDirectories(const std::wstring& path) {
  for (std::size_t separator = path.find(L'\\', 3);; separator = path.find(L'\\', separator + 1)) {
    const std::wstring part = path.substr(0, separator);
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      throw DriverError(L"Cannot create the directory " + part + L" (error " + std::to_wstring(GetLastError()) + L")");
    }
    if (separator == std::wstring::npos) return;
  }
}

void WriteTextFile(const std::wstring& path, const std::string& utf8) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw DriverError(L"Cannot create " + path + L" (error " + std::to_wstring(GetLastError()) + L")");
  }
  DWORD written = 0;
  const BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != utf8.size()) throw DriverError(L"Cannot write " + path);
}

std::string ReadTextFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> NamesMatching(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

}  // namespace driver
