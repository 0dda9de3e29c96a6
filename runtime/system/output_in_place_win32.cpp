#include "runtime/system/output_in_place.h"
#include "runtime/system/win32_api.h"

namespace rt {

Text UnusedNameBeside(TextView path) {
  const TextView directory = path.substr(0, path.find_last_of(u"\\/") + 1);
  // Different starting points for different moments and processes.
  auto unique = static_cast<unsigned>((GetTickCount() ^ (GetCurrentProcessId() << 4)) & 0xFFFF);
  Text name;
  for (int attempt = 0; attempt < 0x10000; ++attempt, unique = (unique + 1) & 0xFFFF) {
    name = Concat({directory, u"vxt", HexText(unique, 4), u".tmp"});
    if (GetFileAttributesW(Wide(name)) == INVALID_FILE_ATTRIBUTES) break;
  }
  return name;
}

bool PutInPlace(TextView written, TextView target) {
  const Text from(written), to(target);
  return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(TextView path) {
  const Text name(path);
  DeleteFileW(Wide(name));
}

}  // namespace rt
