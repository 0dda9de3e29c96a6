// Whole lines appended to a file that others append to at the same time (other copies of the
// program, here or on another computer): each write goes whole to the file's end, so lines never
// mix, and a line cut short before (a writer killed, a power cut) is closed first, so that the next
// starts on its own line. The file is never rewritten or shortened. Lines the file does not take
// now (another program holds it without sharing, the disk is full) wait in the first of the
// waiting places that takes them, and go to the file at the next write; nothing waits in memory,
// so nothing is lost when the program ends, the user logs off or the power goes, while any place
// to write is left.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

// A file that did not take lines, and the system's reason.
struct Refusal {
  Text path;
  std::uint32_t error = 0;
};

struct AppendOutcome {
  bool written = false;          // to the file itself
  Text waitingIn;                // else the place they wait in; empty when no place took them: lost
  std::vector<Refusal> refused;  // each file that did not take them, in the order tried
  bool lost() const { return !written && waitingIn.empty(); }
};

// Where a file's lines wait: the waiting files that hold some now, oldest lines first, and the
// places new ones may wait in, in the order they are tried.
struct WaitingPlaces {
  std::vector<Text> holding;
  std::vector<Text> places;
};

// Another program holds the file (the system's error says so).
bool HeldError(std::uint32_t error);
// A waiting file in another form than the lines the appender writes (a spreadsheet saved it).
inline constexpr std::uint32_t kOtherForm = 13;  // ERROR_INVALID_DATA

class LineAppender {
 public:
  // `start`: what a new file (and a new waiting file) begins with, before anybody's first line.
  explicit LineAppender(std::string start) : start_(std::move(start)) {}

  // Writes the lines (whole, each ending in a line end) at the end of the file, which is made,
  // with its folder, when missing, after the lines waiting for it. From any thread. When the file
  // does not take them, may not be written (`fileWritable` false), or waiting lines cannot join it
  // first, they go to the first of the waiting places that takes them.
  AppendOutcome Append(TextView path, const WaitingPlaces& waiting, std::string_view lines, bool fileWritable);

  // Whether the file can be appended to (made, with its folder, when missing): 0, or the
  // system's error code. A file another program holds counts as one that can.
  std::uint32_t Ready(TextView path);

  // Moves the lines waiting in `holding` (oldest first) to the end of the file, trying again for
  // up to `patience` while one is held: 0 when none wait any more, or the first refusal.
  Refusal MoveWaiting(TextView path, const std::vector<Text>& holding, std::chrono::milliseconds patience);

 private:
  Refusal MoveWaitingNow(const Text& path, const std::vector<Text>& holding);
  Refusal MoveOne(const Text& path, const Text& waiting);

  std::mutex lock_;  // one writer of this process at a time
  const std::string start_;
};

}  // namespace rt
