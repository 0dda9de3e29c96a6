#include <algorithm>
#include <chrono>

#include "runtime/process/folder_turns.h"
#include "runtime/system/win32_api.h"

namespace rt {
namespace {

// A mutex's name may not hold a backslash and is limited in length: the folder goes by a digest.
Text TurnName(TextView folder) {
  std::uint64_t digest = 14695981039346656037ull;  // FNV-1a
  for (const char16_t c : folder) {
    digest = (digest ^ (c & 0xFFu)) * 1099511628211ull;
    digest = (digest ^ (c >> 8)) * 1099511628211ull;
  }
  Text hex;
  for (int shift = 60; shift >= 0; shift -= 4) hex += u"0123456789abcdef"[(digest >> shift) & 0xF];
  return Concat({u"Vexilate-folder-", hex});
}

HANDLE TurnOf(TextView folder) {
  const Text name = TurnName(folder);
  // Global: a scheduled task may run in another session than the user's.
  if (const HANDLE global = CreateMutexW(nullptr, FALSE, Wide(Concat({u"Global\\", name})))) return global;
  return CreateMutexW(nullptr, FALSE, Wide(name));
}

}  // namespace

FolderTurns::~FolderTurns() {
  for (const HandleValue turn : held_) {
    ReleaseMutex(reinterpret_cast<HANDLE>(turn));
    CloseHandle(reinterpret_cast<HANDLE>(turn));
  }
}

bool FolderTurns::Take(std::vector<Text> folders, unsigned milliseconds, Text& waitedFor) {
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (const Text& folder : folders) {
    const HANDLE turn = TurnOf(folder);
    if (!turn) continue;  // without a turn to take, the run goes on as the window's does
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    const DWORD waited = WaitForSingleObject(turn, static_cast<DWORD>(std::max<long long>(left.count(), 0)));
    // An abandoned turn was held by a run that was ended: it is this run's now.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
      CloseHandle(turn);
      waitedFor = folder;
      return false;
    }
    held_.push_back(reinterpret_cast<HandleValue>(turn));
  }
  return true;
}

}  // namespace rt
