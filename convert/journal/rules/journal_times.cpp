#include "convert/journal/rules/journal_times.h"

#include "runtime/text/number_text.h"

namespace convert {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 0001-01-01 to 1601-01-01, where file times begin.
constexpr std::int64_t kFileTimeStartDays = 584388;

// Days since 0001-01-01 of a date of the Gregorian calendar.
std::int64_t DaysOf(int year, int month, int day) {
  const std::int64_t y = month <= 2 ? year - 1 : year;
  const std::int64_t era = y / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 306;
}

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads up to `most` digits; false when there is none.
bool Number(std::string_view& text, int most, int& value) {
  std::size_t count = 0;
  value = 0;
  while (count < text.size() && count < static_cast<std::size_t>(most) && text[count] >= '0' && text[count] <= '9') {
    value = value * 10 + (text[count++] - '0');
  }
  text.remove_prefix(count);
  return count > 0;
}

bool Skip(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

rt::Text TwoDigits(int value) { return rt::FORMAT(value, u"N02"); }

}  // namespace

std::optional<ClockTime> ReadJournalTime(std::string_view text, bool dayFirst) {
  int first = 0, second = 0, third = 0;
  const std::size_t firstLength = text.find_first_not_of("0123456789");
  if (!Number(text, 4, first) || text.empty()) return std::nullopt;
  const char separator = text.front();
  if ((separator != '-' && separator != '.' && separator != '/') || !Skip(text, separator) ||
      !Number(text, 2, second) || !Skip(text, separator) || !Number(text, 4, third)) {
    return std::nullopt;
  }
  int year = third, month = second, day = first;
  if (firstLength == 4) {
    year = first;
    day = third;
  } else if (separator == '/' && !dayFirst) {
    month = first;
    day = second;
  }
  if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    return std::nullopt;
  }
  if (!Skip(text, ' ') && !Skip(text, 'T')) return std::nullopt;
  int hour = 0, minute = 0, seconds = 0;
  if (!Number(text, 2, hour) || !Skip(text, ':') || !Number(text, 2, minute)) return std::nullopt;
  ClockTime time;
  time.withSeconds = Skip(text, ':');
  if (time.withSeconds && !Number(text, 2, seconds)) return std::nullopt;
  if (text == " AM" || text == " PM" || text == "AM" || text == "PM") {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour = hour % 12 + (text.ends_with("PM") ? 12 : 0);
  } else if (!text.empty() && text != "Z") {
    return std::nullopt;
  }
  if (hour > 23 || minute > 59 || seconds > 59) return std::nullopt;
  time.seconds = ClockSecondsAt(year, month, day, hour, minute, seconds);
  return time;
}

rt::Text JournalTime(int year, int month, int day, int hour, int minute, int second) {
  return rt::Concat({rt::FORMAT(year, u"N04"), u"-", TwoDigits(month), u"-", TwoDigits(day), u" ", TwoDigits(hour),
                     u":", TwoDigits(minute), u":", TwoDigits(second)});
}

std::int64_t ClockSecondsAt(int year, int month, int day, int hour, int minute, int second) {
  return DaysOf(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

std::int64_t ClockSecondsOf(std::int64_t fileTime) { return kFileTimeStartDays * kSecondsPerDay + fileTime / 10000000; }

rt::Text JournalUtcTime(std::int64_t fileTime) {
  const std::int64_t seconds = ClockSecondsOf(fileTime);
  // The civil date of a day count, the inverse of DaysOf.
  const std::int64_t z = seconds / kSecondsPerDay + 306;
  const std::int64_t era = z / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  const auto inDay = static_cast<int>(seconds % kSecondsPerDay);
  rt::Text text = JournalTime(year, month, day, inDay / 3600, inDay / 60 % 60, inDay % 60);
  text[10] = u'T';
  return text + u"Z";
}

}  // namespace convert
