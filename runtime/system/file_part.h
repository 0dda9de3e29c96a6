// Reading a file that other programs may be appending to: from where the last reading ended, in
// parts of a bounded size, never in their way.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/text/text_value.h"

namespace rt {

// The system's "file not found" and "path not found": a file that is not there (yet).
inline bool IsMissing(std::uint32_t error) { return error == 2 || error == 3; }

// Puts in `bytes` at most `most` bytes of the file from `offset` on (none when it ends before),
// and in `size` the file's size. 0, or the system's error code when it cannot be read now.
std::uint32_t ReadFilePart(TextView path, std::uint64_t offset, std::size_t most, std::string& bytes,
                           std::uint64_t& size);

}  // namespace rt
