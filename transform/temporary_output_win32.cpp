#include "transform/temporary_output_win32.h"

#include "runtime/text/path_split.h"

namespace rt {

// Marked for removal as soon as it exists, not with FILE_FLAG_DELETE_ON_CLOSE: only a removal
// set through the file's information can be taken back.
TemporaryOutput::TemporaryOutput(const Text& path) {
  file_ = OwnedHandle(CreateFileW(Wide(ExtendedLengthPath(path)), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  error_ = file_ ? 0 : GetLastError();
  if (file_ && !SetRemoval(true)) {
    file_.Reset();
    DeleteFileW(Wide(ExtendedLengthPath(path)));
  }
}

bool TemporaryOutput::SetRemoval(bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  if (SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition)) return true;
  error_ = GetLastError();
  return false;
}

bool TemporaryOutput::Keep() {
  if (!SetRemoval(false)) return false;
  file_.Reset();
  return true;
}

}  // namespace rt
