// The names of the files an output is written to before it is put in place: they tell which
// run of the program, on which computer, made them, so that one left behind by a run that has
// ended can be told from one another running copy is writing (in a shared folder too).
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/text/text_value.h"

namespace rt {

struct TemporaryOwner {
  std::uint32_t process = 0;   // the program's process id
  std::uint32_t computer = 0;  // a digest of the computer's name
  bool operator==(const TemporaryOwner&) const = default;
};

// "vxt<process>-<computer, 8 hexadecimal digits>-<serial>.tmp"
Text TemporaryName(TemporaryOwner owner, std::uint32_t serial);

// Whose a file name of that form is; nothing for any other name.
std::optional<TemporaryOwner> OwnerOfTemporaryName(TextView name);

// The digest of a computer's name, letters compared without case.
std::uint32_t ComputerDigest(TextView computerName);

}  // namespace rt
