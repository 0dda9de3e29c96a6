// What the program needs to know of a file it did not write itself: whether it exists and
// when it was last written, against the clock.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

// The platform's file time (100-nanosecond units) of now.
std::int64_t FileTimeNow();

// When the file was last written; none when there is no such file (or it is a directory).
std::optional<std::int64_t> LastWriteTime(TextView path);

struct FileFacts {
  std::uint64_t size = 0;  // in bytes
  std::int64_t lastWriteTime = 0;
};

// The file's size and last write time; none when there is no such file (or it is a directory).
std::optional<FileFacts> FactsOf(TextView path);

// A file time as this computer's clock showed it then (its time zone and daylight saving rules).
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
LocalTime LocalTimeOf(std::int64_t fileTime);

// Whether the volume the path lies on keeps files' times as local times to 2 seconds (FAT, exFAT).
bool KeepsLocalTimes(TextView path);

bool IsDirectory(TextView path);
bool IsFile(TextView path);

// The full paths of the files directly in the directory (not of its directories), in no order.
std::vector<Text> FilesIn(TextView directory);

struct ListedFile {
  Text path;  // full
  std::uint64_t size = 0;
  std::int64_t lastWriteTime = 0;  // the platform's file time
};

// The same files with their sizes and last write times, as one listing of the directory gives them.
std::vector<ListedFile> ListFilesIn(TextView directory);

// The full paths of the files (not directories) whose names match the last part of the full
// path, wildcards and all, as cmd's commands match them; in no order.
std::vector<Text> FilesMatching(TextView pattern);

// The path made full against the current directory; the path itself when it cannot be.
Text FullPath(TextView path);

// The path of something that exists with every part by its long name (a short 8.3 name such as
// "ABCD~OBH.XML" gives way); the path itself when it names nothing.
Text LongPath(TextView path);

}  // namespace rt
