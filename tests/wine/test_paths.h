// Paths and files for the Windows-side tests: where the build's artefacts lie as Wine shows
// them, throw-away directories, and whole files read or written as bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/text/text_value.h"
#include "tests/driver/test_files.h"

namespace vxtest {

// The Windows path of a build artefact given by its build-tree path. Under Wine the Linux
// file system is the drive Z:, so "/work/b/x.exe" becomes "Z:\work\b\x.exe".
rt::Text WinePathOf(std::string_view buildPath);

// The directory that holds the running test executable, with its trailing backslash.
rt::Text ExecutableDirectory();

// The full path of the current directory, as the platform reports it (no trailing backslash
// except for a drive root).
rt::Text PlatformCurrentDirectory();

// A fresh, empty directory under the temporary directory, removed with all it holds when
// the object goes. path() ends in a backslash.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const rt::Text& path() const { return path_; }
  // path() followed by the name.
  rt::Text operator/(rt::TextView name) const;

 private:
  driver::TempDirectory place_;
  rt::Text path_;
};

// Makes a directory current for the life of the object, then goes back to the one before.
class CurrentDirectoryScope {
 public:
  explicit CurrentDirectoryScope(const rt::Text& directory);
  ~CurrentDirectoryScope();
  CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
  CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;

  bool entered() const { return entered_; }

 private:
  rt::Text previous_;
  bool entered_ = false;
};

// Creates one directory; true when it exists afterwards as a directory.
bool MakeDirectory(const rt::Text& path);

// Removes a file or a directory with everything below it; true when nothing is left.
bool RemoveTree(const rt::Text& path);

bool FileExists(const rt::Text& path);
bool DirectoryExists(const rt::Text& path);

// The whole file as bytes; nothing when it cannot be opened or read.
std::optional<std::string> ReadBytes(const rt::Text& path);

// Replaces the file with exactly these bytes; true on success.
bool WriteBytes(const rt::Text& path, std::string_view bytes);

// Copies a file, replacing the target; true on success.
bool CopyFileTo(const rt::Text& from, const rt::Text& to);

// UTF-8 for failure messages and for text exchanged with other processes.
std::string Utf8(rt::TextView text);
rt::Text FromUtf8(std::string_view text);

}  // namespace vxtest
