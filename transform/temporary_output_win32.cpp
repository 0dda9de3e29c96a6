#include "transform/temporary_output_win32.h"

#include <atomic>

#include "runtime/system/output_in_place.h"
#include "runtime/text/number_text.h"
#include "transform/documents/module_paths.h"
#include "transform/xml_transform.h"

namespace rt {
namespace {

// Guards the moment a result goes in place against the program deciding to end.
SRWLOCK g_placing = SRWLOCK_INIT;
bool g_abandoned = false;  // guarded by g_placing

std::atomic<unsigned> g_serial{0};

}  // namespace

void AbandonTransformations() {
  AcquireSRWLockExclusive(&g_placing);
  g_abandoned = true;
  ReleaseSRWLockExclusive(&g_placing);
}

// Marked for removal as soon as it exists, not with FILE_FLAG_DELETE_ON_CLOSE: only a removal
// set through the file's information can be taken back before the move.
TemporaryOutput::TemporaryOutput(const Text& output) {
  const Text directory = output.substr(0, output.find_last_of(u"\\/") + 1);
  for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
    const unsigned unique = GetTickCount() ^ GetCurrentProcessId() << 16 ^ g_serial.fetch_add(1) * 0x9E3779B9u;
    path_ = Concat({directory, u"vxt", HexText(unique, 8), u".tmp"});
    // Shared for deleting: moving it over the output opens it once more for that.
    file_ = OwnedHandle(CreateFileW(Wide(ExtendedLengthPath(path_)), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    error_ = file_ ? 0 : GetLastError();
    if (error_ != 0 && error_ != ERROR_FILE_EXISTS && error_ != ERROR_ALREADY_EXISTS) break;
  }
  if (file_ && !SetRemoval(true)) {
    file_.Reset();
    DeleteFileW(Wide(ExtendedLengthPath(path_)));
  }
}

bool TemporaryOutput::SetRemoval(bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  if (SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition)) return true;
  error_ = GetLastError();
  return false;
}

bool TemporaryOutput::PutInPlace(const Text& output) {
  AcquireSRWLockShared(&g_placing);
  bool placed = false;
  if (g_abandoned) {
    error_ = ERROR_OPERATION_ABORTED;
  } else if (SetRemoval(false)) {
    placed = rt::PutInPlace(ExtendedLengthPath(path_), ExtendedLengthPath(output));
    if (!placed) {
      error_ = GetLastError();
      SetRemoval(true);
    }
  }
  ReleaseSRWLockShared(&g_placing);
  return placed;
}

}  // namespace rt
