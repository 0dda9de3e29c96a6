#include "convert/journal/rules/new_files.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "convert/rules/batch_plan.h"

namespace convert {
namespace {

// How far apart two times of one write may be: a volume that keeps times to 2 seconds rounds them.
constexpr std::int64_t kCoarseSeconds = 2;
constexpr std::int64_t kQuarterHour = 900;
// Time zones lie within 14 hours of UTC.
constexpr std::int64_t kMostZoneShift = 14 * 3600;

// A try that failed for a reason the file carries: tried again only when it changes, or when asked.
bool Failure(JournalResult result) {
  return result == JournalResult::Failed || result == JournalResult::Refused || result == JournalResult::NotFormat ||
         result == JournalResult::NotSchema;
}

// A time the journal holds, read without making room for its bytes: a time is short and ASCII.
std::optional<ClockTime> TimeOf(rt::TextView text, bool dayFirst) {
  char bytes[32];
  if (text.size() > sizeof bytes) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] > 0x7F) return std::nullopt;
    bytes[i] = static_cast<char>(text[i]);
  }
  return ReadJournalTime(std::string_view(bytes, text.size()), dayFirst);
}

}  // namespace

NewFilesSearch::NewFilesSearch(std::vector<InputFile> files, const JournalLocale& locale) : locale_(locale) {
  std::erase_if(files, [](const InputFile& file) { return !IsXmlName(file.path); });
  // Each name folded once, not at every comparison of the sort.
  std::vector<std::pair<rt::Text, InputFile>> byName;
  byName.reserve(files.size());
  for (InputFile& file : files) byName.emplace_back(FoldedName(file.path), std::move(file));
  std::sort(byName.begin(), byName.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  files_.reserve(byName.size());
  byPath_.reserve(byName.size());
  for (auto& [folded, file] : byName) {
    byPath_.emplace(std::move(folded), files_.size());
    sizes_.insert(file.size);
    files_.push_back(std::move(file));
  }
  states_.assign(files_.size(), State::New);
}

bool NewFilesSearch::Wanted(JournalResult result, std::uint64_t size, const void* search) {
  return (result == JournalResult::Converted || Failure(result)) &&
         static_cast<const NewFilesSearch*>(search)->sizes_.contains(size);
}

void NewFilesSearch::StartJournal() {
  form_.reset();
  line_ = 0;
}

bool NewFilesSearch::SameWriteTime(const InputFile& file, const JournalEntry& entry) const {
  const std::int64_t tolerance = file.localTimes ? kCoarseSeconds : 0;
  if (!entry.modifiedUtc.empty()) {
    const std::optional<ClockTime> utc = TimeOf(entry.modifiedUtc, true);
    if (!utc) return false;
    // A spreadsheet may have taken it for a date and dropped its seconds.
    const std::int64_t seconds = utc->withSeconds ? file.utcSeconds : file.utcSeconds / 60 * 60;
    const std::int64_t apart = std::llabs(seconds - utc->seconds);
    if (apart <= tolerance) return true;
    const std::int64_t offQuarter = apart % kQuarterHour;
    return file.localTimes && apart <= kMostZoneShift &&
           (offQuarter <= kCoarseSeconds || kQuarterHour - offQuarter <= kCoarseSeconds);
  }
  const std::optional<ClockTime> local = TimeOf(entry.modified, locale_.dayFirst);
  if (!local) return false;
  if (!local->withSeconds) return file.localSeconds / 60 == local->seconds / 60;
  return std::llabs(file.localSeconds - local->seconds) <= tolerance;
}

std::size_t NewFilesSearch::TakeJournal(std::string_view bytes) {
  std::size_t taken = 0;
  for (std::size_t end; !unreadable_ && (end = bytes.find('\n', taken)) != std::string_view::npos; taken = end + 1) {
    const std::string_view line = bytes.substr(taken, end - taken);
    ++line_;
    if (!form_) {
      form_ = JournalFormOf(line, locale_);
      if (!form_) unreadable_ = line_;
      continue;
    }
    const LineRead read = ReadJournalLine(line, *form_, locale_, read_, {&Wanted, this});
    if (read == LineRead::Unreadable) unreadable_ = line_;
    if (read != LineRead::Entry) continue;
    // Stopped, or not converted (skipped as not wanted): the file is as it was before.
    const bool converted = read_.result == JournalResult::Converted;
    folded_.assign(read_.inputPath);
    FoldInPlace(folded_);
    const auto found = byPath_.find(folded_);
    if (found == byPath_.end()) continue;
    const InputFile& file = files_[found->second];
    if (file.size == read_.size && SameWriteTime(file, read_)) {
      states_[found->second] = converted ? State::Converted : State::Failed;
    }
  }
  return taken;
}

std::vector<rt::Text> NewFilesSearch::FilesIn(State state) const {
  std::vector<rt::Text> found;
  for (std::size_t index = 0; index < files_.size(); ++index) {
    if (states_[index] == state) found.push_back(files_[index].path);
  }
  return found;
}

std::vector<rt::Text> NewFilesSearch::NewFiles() const { return FilesIn(State::New); }
std::vector<rt::Text> NewFilesSearch::FailedFiles() const { return FilesIn(State::Failed); }

}  // namespace convert
