// Files and directories of one test: a temporary directory removed afterwards, small text
// files, and the programs built beside the test executable.
#pragma once

#include <string>
#include <vector>

namespace driver {

// The directory of the running executable, with a trailing backslash.
std::wstring ExecutableDirectory();
// A file beside the running executable (a program built with the test).
std::wstring BesideExecutable(const std::wstring& name);

// A new empty directory under the system's temporary directory, removed with all it holds
// when the object goes.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  // The full path, without a trailing backslash.
  const std::wstring& path() const { return path_; }
  // path() \ relative.
  std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

 private:
  std::wstring path_;
};

// Removes a file, or a directory with all it holds (read-only ones too); true when
// nothing is left.
bool RemoveTree(std::wstring path);

// Creates the directory and any missing parents.
void MakeDirectories(const std::wstring& path);
void WriteTextFile(const std::wstring& path, const std::string& utf8);
// The file's bytes; empty when it does not exist.
std::string ReadTextFile(const std::wstring& path);
bool FileExists(const std::wstring& path);
// The names (without directory) of what matches a pattern such as "C:\\dir\\*.tmp", in no order.
std::vector<std::wstring> NamesMatching(const std::wstring& pattern);

}  // namespace driver
