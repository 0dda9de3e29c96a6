// Times as the journal writes them and as a spreadsheet may have saved them again: the local
// "2026-12-08 09:15:03" the program writes, Excel's "08.12.2026 9:15" (seconds dropped), "12/8/2026
// 9:15 AM" of an English locale; and the input's last write time in UTC, "2026-12-08T06:15:03Z",
// which a change of time zone or of daylight saving does not move.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/text/text_value.h"

namespace convert {

// A time of the clock as seconds since 0001-01-01 00:00:00 of the same clock.
struct ClockTime {
  std::int64_t seconds = 0;
  bool withSeconds = true;  // false when the text gave minutes only
};

// The time a journal's field holds, in any of the forms above; `dayFirst` decides "08/12/2026"
// (the locale's order of day and month). None when it is no time.
std::optional<ClockTime> ReadJournalTime(std::string_view text, bool dayFirst);

// "2026-12-08 09:15:03" from its parts.
rt::Text JournalTime(int year, int month, int day, int hour, int minute, int second);

// The seconds of a time of the clock given by its parts.
std::int64_t ClockSecondsAt(int year, int month, int day, int hour, int minute, int second);

// The seconds of a file time (100 ns since 1601-01-01) on the same scale as ClockTime.
std::int64_t ClockSecondsOf(std::int64_t fileTime);

// A file time as the journal's UTC column writes it: "2026-12-08T06:15:03Z".
rt::Text JournalUtcTime(std::int64_t fileTime);

}  // namespace convert
