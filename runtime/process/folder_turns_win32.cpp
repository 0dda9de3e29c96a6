#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "runtime/process/folder_turns.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/upper_case.h"

namespace rt {
namespace {

using Clock = std::chrono::steady_clock;

// Without its event a stop is looked at this often.
constexpr DWORD kStopLookSlice = 100;
constexpr DWORD kStoppedWait = WAIT_OBJECT_0 + 1;

// A mutex's name may not hold a backslash and is limited in length: the folder goes by a digest
// of its folded full path. A path whose letters are a–z and а–я folds as in earlier versions, which
// folded no others, and keeps its digest: those versions and this one take the same turn for it.
Text TurnName(TextView folded) {
  std::uint64_t digest = 14695981039346656037ull;  // FNV-1a
  for (const char16_t c : folded) {
    digest = (digest ^ (c & 0xFFu)) * 1099511628211ull;
    digest = (digest ^ (c >> 8)) * 1099511628211ull;
  }
  Text hex;
  for (int shift = 60; shift >= 0; shift -= 4) hex += u"0123456789abcdef"[(digest >> shift) & 0xF];
  return Concat({u"Vexilate-folder-", hex});
}

// A turn every account can open: a run under another account (a scheduled task) waits for it
// instead of going on beside it. Without such a descriptor the turn gets the default one.
class OpenToEveryone {
 public:
  OpenToEveryone() {
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;WD)", SDDL_REVISION_1, &descriptor_,
                                                             nullptr)) {
      attributes_ = {sizeof attributes_, descriptor_, FALSE};
    }
  }
  ~OpenToEveryone() { LocalFree(descriptor_); }
  OpenToEveryone(const OpenToEveryone&) = delete;
  OpenToEveryone& operator=(const OpenToEveryone&) = delete;
  SECURITY_ATTRIBUTES* Attributes() { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

// The turn made, or opened only to wait for when another account made it without giving this one
// all rights; none, with the error, otherwise.
HANDLE MutexNamed(const Text& name, DWORD& error) {
  OpenToEveryone everyone;
  if (const HANDLE made = CreateMutexW(everyone.Attributes(), FALSE, Wide(name))) return made;
  error = GetLastError();
  if (error != ERROR_ACCESS_DENIED) return nullptr;
  if (const HANDLE opened = OpenMutexW(SYNCHRONIZE, FALSE, Wide(name))) return opened;
  error = GetLastError();
  return nullptr;
}

HANDLE TurnOf(TextView folded, DWORD& error) {
  const Text name = TurnName(folded);
  // Global: a scheduled task may run in another session than the user's.
  if (const HANDLE global = MutexNamed(Concat({u"Global\\", name}), error)) return global;
  // One that is there but refused would be waited for by others: no turn rather than another.
  if (error == ERROR_ACCESS_DENIED) return nullptr;
  // None there yet, and an account without the right to make global objects cannot make it.
  return MutexNamed(name, error);
}

DWORD MillisecondsLeft(const std::optional<Clock::time_point>& until) {
  if (!until) return INFINITE;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*until - Clock::now()).count();
  return static_cast<DWORD>(std::clamp<long long>(left, 0, INFINITE - 1));
}

// The turn, the stop or the time limit, whichever comes first.
DWORD WaitForTurn(HANDLE turn, const std::optional<Clock::time_point>& until, const StopSignal* stop) {
  const HANDLE stopEvent = stop ? reinterpret_cast<HANDLE>(stop->Event()) : nullptr;
  const HANDLE handles[] = {turn, stopEvent};
  for (;;) {
    if (stop && stop->IsSet()) return kStoppedWait;
    const DWORD left = MillisecondsLeft(until);
    const DWORD slice = stop && !stopEvent ? std::min(left, kStopLookSlice) : left;
    const DWORD waited = WaitForMultipleObjects(stopEvent ? 2 : 1, handles, FALSE, slice);
    if (waited != WAIT_TIMEOUT || slice == left) return waited;
  }
}

}  // namespace

FolderTurns::~FolderTurns() {
  for (const HandleValue turn : held_) {
    ReleaseMutex(reinterpret_cast<HANDLE>(turn));
    CloseHandle(reinterpret_cast<HANDLE>(turn));
  }
}

TurnTaking FolderTurns::Take(std::vector<Text> folders, unsigned milliseconds, const StopSignal* stop,
                             const std::function<void(TextView folder)>& waiting) {
  // Each folder once, by the name every run gives it, and in the order of those names.
  std::vector<std::pair<Text, Text>> named;  // folded, as given
  for (Text& folder : folders) {
    Text folded = folder;
    UpperCaseInPlace(folded);
    named.emplace_back(std::move(folded), std::move(folder));
  }
  std::sort(named.begin(), named.end());
  named.erase(std::unique(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
              named.end());
  std::optional<Clock::time_point> until;
  if (milliseconds != kNoTimeLimit) until = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (const auto& [folded, folder] : named) {
    DWORD error = 0;
    const HANDLE turn = TurnOf(folded, error);
    if (!turn) return {TurnOutcome::kUnavailable, folder, error};
    DWORD waited = WaitForSingleObject(turn, 0);
    if (waited == WAIT_TIMEOUT) {
      if (waiting) waiting(folder);
      waited = WaitForTurn(turn, until, stop);
    }
    // An abandoned turn was held by a run that was ended: it is this run's now.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
      const DWORD failure = waited == WAIT_FAILED ? GetLastError() : 0;
      CloseHandle(turn);
      if (failure != 0) return {TurnOutcome::kUnavailable, folder, failure};
      return {waited == kStoppedWait ? TurnOutcome::kStopped : TurnOutcome::kTimedOut, folder, 0};
    }
    held_.push_back(reinterpret_cast<HandleValue>(turn));
  }
  return {};
}

}  // namespace rt
