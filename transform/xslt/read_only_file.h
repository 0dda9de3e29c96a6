// A file opened for reading by its path, with what the system says of the very file it opened:
// its final path (links, junctions, short names and ".." resolved) and whether it is a file on a
// disk. The same open file is then read, so what was decided is what is read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/text/text_value.h"

namespace rt {

class ReadOnlyFile {
 public:
  enum class Kind { kNotOpened, kDiskFile, kOther };

  // Opens `path`, a full path. A device name, pipe or console is not opened as a file.
  explicit ReadOnlyFile(TextView path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  Kind kind() const { return kind_; }
  // The file system's own name of the file opened (a disk file's), asked of the system the first
  // time it is wanted: a file read for itself alone needs none.
  const Text& finalPath() const;
  // Why it was not opened.
  const Text& systemText() const { return systemText_; }
  // Up to `size` bytes: 0 at the end, -1 when the system fails.
  std::int64_t Read(char* buffer, std::size_t size);

 private:
  std::intptr_t handle_ = -1;
  Kind kind_ = Kind::kNotOpened;
  mutable bool finalPathAsked_ = false;
  mutable Text finalPath_;
  Text systemText_;
};

// A folder's own final name, in the form ReadOnlyFile gives; empty, with the system's reason,
// when the folder cannot be opened.
Text FinalFolderPath(TextView folder, Text& systemText);

}  // namespace rt
