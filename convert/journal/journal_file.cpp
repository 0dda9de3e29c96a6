#include "convert/journal/journal_file.h"

#include <algorithm>

#include "app/globals.h"
#include "runtime/system/file_facts.h"
#include "runtime/text/number_text.h"

namespace convert {
namespace {

constexpr char16_t kJournalStem[] = u"Vexilate-journal.";
constexpr char16_t kWaitingName[] = u"Vexilate-journal.waiting.csv";

}  // namespace

rt::Text JournalFolder() {
  const rt::Text settings = rt::CLIP(app::GLO_STNAMEINIFILE);
  return settings.substr(0, settings.find_last_of(u"\\/") + 1);
}

rt::Text JournalPath() { return rt::Concat({JournalFolder(), kJournalFileName}); }
rt::Text WaitingPathOf(rt::TextView journal) {
  return rt::Concat({journal.substr(0, journal.find_last_of(u"\\/") + 1), kWaitingName});
}

rt::Text JournalWaitingPath() { return WaitingPathOf(JournalPath()); }

rt::Text KeptJournalPath(rt::TextView journal, std::int64_t fileTime) {
  const rt::LocalTime time = rt::LocalTimeOf(fileTime);
  return rt::Concat({journal.substr(0, journal.find_last_of(u"\\/") + 1), kJournalStem, rt::FORMAT(time.year, u"N04"),
                     u"-", rt::FORMAT(time.month, u"N02"), u"-", rt::FORMAT(time.day, u"N02"), u"-",
                     rt::FORMAT(time.hour, u"N02"), rt::FORMAT(time.minute, u"N02"), rt::FORMAT(time.second, u"N02"),
                     u".csv"});
}

std::vector<rt::Text> ProgramFiles(rt::TextView journal) {
  const rt::TextView folder = journal.substr(0, journal.find_last_of(u"\\/") + 1);
  return {rt::CLIP(app::GLO_STNAMEINIFILE), rt::Concat({folder, kJournalStem, u"*.csv"})};
}

std::vector<rt::Text> JournalFiles(const rt::Text& folder) {
  // Kept ones are named by the time they were kept: in name order, oldest first.
  std::vector<rt::Text> kept =
      rt::FilesMatching(rt::Concat({folder, kJournalStem, u"\?\?\?\?-\?\?-\?\?-\?\?\?\?\?\?.csv"}));
  std::sort(kept.begin(), kept.end());
  kept.push_back(rt::Concat({folder, kJournalFileName}));
  kept.push_back(rt::Concat({folder, kWaitingName}));
  return kept;
}

JournalLocale ThisLocale() { return {&rt::TextOfAnsi, rt::LocaleDayFirst()}; }

rt::Text JournalFileTime(std::int64_t fileTime) {
  const rt::LocalTime time = rt::LocalTimeOf(fileTime);
  return JournalTime(time.year, time.month, time.day, time.hour, time.minute, time.second);
}

}  // namespace convert
