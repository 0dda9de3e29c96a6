// Where the journal of conversions is, and how it writes a file's time: what its window and
// «Новые файлы» read.
#pragma once

#include <cstdint>

#include "runtime/text/text_value.h"

namespace convert {

// Beside the settings file the program writes: beside the executable, or in the user's own folder.
rt::Text JournalPath();

// A file time in the journal's form, the local time of then: "2026-12-08 09:15:03".
rt::Text JournalFileTime(std::int64_t fileTime);

}  // namespace convert
