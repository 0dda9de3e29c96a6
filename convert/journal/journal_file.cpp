#include "convert/journal/journal_file.h"

#include <algorithm>

#include "app/globals.h"
#include "convert/rules/batch_plan.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/user_files.h"
#include "runtime/text/number_text.h"
#include "runtime/text/temporary_name.h"

namespace convert {
namespace {

constexpr char16_t kJournalStem[] = u"Vexilate-journal.";
constexpr char16_t kWaitingName[] = u"Vexilate-journal.waiting.csv";
// A run's own waiting files: "Vexilate-journal.waiting-<time>-<ticks>.csv" beside the journal, and
// "…-<digest of the journal's folder>.csv" in the user's data folder; in name order, oldest first.
constexpr char16_t kRunWaitingStem[] = u"Vexilate-journal.waiting-";

rt::TextView FolderOf(rt::TextView path) { return path.substr(0, path.find_last_of(u"\\/") + 1); }

// This run's part of its waiting files' names: the time it first needed one.
const rt::Text& RunStamp() {
  static const rt::Text stamp = [] {
    const std::int64_t now = rt::FileTimeNow();
    const rt::LocalTime time = rt::LocalTimeOf(now);
    return rt::Concat({rt::FORMAT(time.year, u"N04"), rt::FORMAT(time.month, u"N02"), rt::FORMAT(time.day, u"N02"),
                       u"-", rt::FORMAT(time.hour, u"N02"), rt::FORMAT(time.minute, u"N02"),
                       rt::FORMAT(time.second, u"N02"), u"-",
                       rt::FORMAT(static_cast<rt::LONG>(now % 10'000'000), u"N07")});
  }();
  return stamp;
}

rt::Text UserWaitingFolder() {
  const rt::Text data = rt::UserDataDirectory();
  return data.empty() ? rt::Text() : rt::Concat({data, u"\\Vexilate\\"});
}

rt::Text FolderDigest(rt::TextView folder) {
  constexpr char16_t kHex[] = u"0123456789abcdef";
  const std::uint32_t digest = rt::ComputerDigest(folder);  // a name's digest, without case
  rt::Text text;
  for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(digest >> shift) & 0xF];
  return text;
}

// This journal's waiting files of the runs, in both folders, oldest first.
std::vector<rt::Text> RunWaitingFiles(rt::TextView journal) {
  const rt::TextView folder = FolderOf(journal);
  std::vector<rt::Text> files = rt::FilesMatching(rt::Concat({folder, kRunWaitingStem, u"*.csv"}));
  // Unless the journal lies in the user's data folder itself (then they were found above).
  if (const rt::Text user = UserWaitingFolder(); !user.empty() && FoldedName(user) != FoldedName(folder)) {
    for (rt::Text& file : rt::FilesMatching(rt::Concat({user, kRunWaitingStem, u"*-", FolderDigest(folder), u".csv"})))
      files.push_back(std::move(file));
  }
  const auto name = [](const rt::Text& path) { return rt::TextView(path).substr(path.find_last_of(u'\\') + 1); };
  std::sort(files.begin(), files.end(), [&](const rt::Text& a, const rt::Text& b) { return name(a) < name(b); });
  return files;
}

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

rt::WaitingPlaces WaitingPlacesOf(rt::TextView journal) {
  const rt::TextView folder = FolderOf(journal);
  rt::WaitingPlaces places;
  places.holding.push_back(WaitingPathOf(journal));
  for (rt::Text& file : RunWaitingFiles(journal)) places.holding.push_back(std::move(file));
  places.places = {WaitingPathOf(journal), rt::Concat({folder, kRunWaitingStem, RunStamp(), u".csv"})};
  if (const rt::Text user = UserWaitingFolder(); !user.empty()) {
    places.places.push_back(rt::Concat({user, kRunWaitingStem, RunStamp(), u"-", FolderDigest(folder), u".csv"}));
  }
  return places;
}

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
  for (rt::Text& file : RunWaitingFiles(rt::Concat({folder, kJournalFileName}))) kept.push_back(std::move(file));
  return kept;
}

JournalLocale ThisLocale() { return {&rt::TextOfAnsi, rt::LocaleDayFirst()}; }

rt::Text JournalFileTime(std::int64_t fileTime) {
  const rt::LocalTime time = rt::LocalTimeOf(fileTime);
  return JournalTime(time.year, time.month, time.day, time.hour, time.minute, time.second);
}

}  // namespace convert
