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

bool IsDirectory(TextView path);
bool IsFile(TextView path);

// The full paths of the files directly in the directory (not of its directories), in no order.
std::vector<Text> FilesIn(TextView directory);

// The path made full against the current directory; the path itself when it cannot be.
Text FullPath(TextView path);

}  // namespace rt
