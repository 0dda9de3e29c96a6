// One run at a time for a folder: a run that converts a folder's files holds its turn, for every
// user and session of this computer, and another run for the same folder waits until it is free.
#pragma once

#include <vector>

#include "runtime/system/system_services.h"

namespace rt {

class FolderTurns {
 public:
  FolderTurns() = default;
  ~FolderTurns();  // every turn taken is let go; one left by a run that was ended is free too
  FolderTurns(const FolderTurns&) = delete;
  FolderTurns& operator=(const FolderTurns&) = delete;

  // Takes the turn of each folder (named the same way by every run: its full path, letters
  // folded), in one order for all runs, so that two never wait for each other. False when one
  // is not free within `milliseconds` in all, with that folder in `waitedFor`.
  bool Take(std::vector<Text> folders, unsigned milliseconds, Text& waitedFor);

 private:
  std::vector<HandleValue> held_;
};

}  // namespace rt
