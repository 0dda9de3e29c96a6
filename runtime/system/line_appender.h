// Whole lines appended to a file that others append to at the same time (other copies of the
// program, here or on another computer): each write goes whole to the file's end, so lines never
// mix or get lost, and a line cut short before (a writer killed, a power cut) is closed first, so
// that the next starts on its own line. The file is never rewritten or shortened. While another
// program holds it without sharing (a spreadsheet that has it open), the lines are kept in memory.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "runtime/text/text_value.h"

namespace rt {

struct AppendOutcome {
  std::uint32_t error = 0;  // the system's error code of the last attempt; 0 when all is written
  bool held = false;        // another program holds the file: the lines are kept
};

class LineAppender {
 public:
  // `start`: what a new file begins with, written before anybody's first line.
  explicit LineAppender(std::string start) : start_(std::move(start)) {}

  // Adds the lines (whole, each ending in a line end) to those kept and writes them all at the
  // end of the file, which is made, with its folder, when missing. From any thread. Lines the file
  // refuses for another reason than being held are dropped: they would be refused again.
  AppendOutcome Append(TextView path, std::string_view lines);

  // Whether the file can be appended to (made, with its folder, when missing): 0, or the
  // system's error code. A file another program holds counts as one that can.
  std::uint32_t Ready(TextView path);

  // Writes the lines kept, trying again for up to `patience` while the file is held.
  AppendOutcome Flush(TextView path, std::chrono::milliseconds patience);

 private:
  AppendOutcome WriteKept(const Text& path);

  std::mutex lock_;  // guards kept_ and the writes
  const std::string start_;
  std::string kept_;
};

}  // namespace rt
