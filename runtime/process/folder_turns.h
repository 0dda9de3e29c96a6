// One run at a time for a folder: a run that converts a folder's files holds its turn, for every
// user and session of this computer, and another run for the same folder waits until it is free.
// A turn belongs to the thread that took it: that thread lets it go.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "runtime/process/stop_signal.h"
#include "runtime/system/system_services.h"

namespace rt {

enum class TurnOutcome { kTaken, kTimedOut, kStopped, kUnavailable };

struct TurnTaking {
  TurnOutcome outcome = TurnOutcome::kTaken;
  Text folder;              // the one not taken, as given
  std::uint32_t error = 0;  // why there is no turn to take (kUnavailable)
};

inline constexpr unsigned kNoTimeLimit = 0xFFFFFFFF;

class FolderTurns {
 public:
  FolderTurns() = default;
  ~FolderTurns();  // every turn taken is let go; one left by a run that was ended is free too
  FolderTurns(const FolderTurns&) = delete;
  FolderTurns& operator=(const FolderTurns&) = delete;

  // Takes the turn of each folder (named the same way by every run: its full path, letters
  // folded as Windows compares names), in one order for all runs, so that two never wait for
  // each other; within `milliseconds` in all, or until `stop` (when given) is set. `waiting` is
  // told of a folder whose turn another run holds, before this one waits for it.
  TurnTaking Take(std::vector<Text> folders, unsigned milliseconds, const StopSignal* stop = nullptr,
                  const std::function<void(TextView folder)>& waiting = {});

 private:
  std::vector<HandleValue> held_;
};

}  // namespace rt
