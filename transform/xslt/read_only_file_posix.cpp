#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xslt/read_only_file.h"

namespace rt {
namespace {

Text NameOfOpen(int descriptor) {
  char name[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
  const ssize_t length = readlink(link.c_str(), name, sizeof name);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof name) return Text();
  return TextOfUtf8(std::string_view(name, static_cast<std::size_t>(length)));
}

}  // namespace

// Not blocking, so that a FIFO or a device does not hold the open; it is then refused by kind.
ReadOnlyFile::ReadOnlyFile(TextView path) {
  const int descriptor = open(Utf8Of(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (descriptor < 0) {
    systemText_ = TextOfUtf8(std::strerror(errno));
    return;
  }
  handle_ = descriptor;
  struct stat facts {};
  kind_ = fstat(descriptor, &facts) == 0 && S_ISREG(facts.st_mode) ? Kind::kDiskFile : Kind::kOther;
}

const Text& ReadOnlyFile::finalPath() const {
  if (!finalPathAsked_ && kind_ == Kind::kDiskFile) finalPath_ = NameOfOpen(static_cast<int>(handle_));
  finalPathAsked_ = true;
  return finalPath_;
}

ReadOnlyFile::~ReadOnlyFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

std::int64_t ReadOnlyFile::Read(char* buffer, std::size_t size) {
  if (kind_ != Kind::kDiskFile) return -1;
  return read(static_cast<int>(handle_), buffer, size);
}

Text FinalFolderPath(TextView folder, Text& systemText) {
  const int descriptor = open(Utf8Of(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    systemText = TextOfUtf8(std::strerror(errno));
    return Text();
  }
  Text name = NameOfOpen(descriptor);
  close(descriptor);
  return name;
}

}  // namespace rt
