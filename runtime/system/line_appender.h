// Whole lines appended to a file that others append to at the same time (other copies of the
// program, here or on another computer): each write goes whole to the file's end, so lines never
// mix, and a line cut short before (a writer killed, a power cut) is closed first, so that the next
// starts on its own line. The file is never rewritten or shortened. Lines the file does not take
// now (another program holds it without sharing, the disk is full) wait in a file beside it, and
// go to the file at the next write; nothing waits in memory, so nothing is lost when the program
// ends, the user logs off or the power goes.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "runtime/text/text_value.h"

namespace rt {

struct AppendOutcome {
  std::uint32_t error = 0;         // the system's error code of the file's last attempt; 0 when written
  bool held = false;               // another program holds the file
  bool waiting = false;            // the lines the file did not take wait in the waiting file
  std::uint32_t waitingError = 0;  // why they could not be kept there either: lost
};

class LineAppender {
 public:
  // `start`: what a new file (and a new waiting file) begins with, before anybody's first line.
  explicit LineAppender(std::string start) : start_(std::move(start)) {}

  // Writes the lines (whole, each ending in a line end) at the end of the file, which is made,
  // with its folder, when missing, after the lines waiting beside it. From any thread. When the
  // file does not take them, or may not be written (`fileWritable` false), they go to `waiting`.
  AppendOutcome Append(TextView path, TextView waiting, std::string_view lines, bool fileWritable);

  // Whether the file can be appended to (made, with its folder, when missing): 0, or the
  // system's error code. A file another program holds counts as one that can.
  std::uint32_t Ready(TextView path);

  // Moves the lines waiting to the end of the file, trying again for up to `patience` while it is
  // held: 0 when none wait any more, or the system's error code.
  std::uint32_t MoveWaiting(TextView path, TextView waiting, std::chrono::milliseconds patience);

 private:
  std::uint32_t MoveWaitingNow(const Text& path, const Text& waiting);

  std::mutex lock_;  // one writer of this process at a time
  const std::string start_;
};

}  // namespace rt
