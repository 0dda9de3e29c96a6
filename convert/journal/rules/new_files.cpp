#include "convert/journal/rules/new_files.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "convert/journal/rules/journal_results.h"
#include "convert/rules/batch_plan.h"
#include "convert/rules/name_fields.h"
#include "runtime/text/upper_case.h"

namespace convert {
namespace {

// How far apart two times of one write may be: a volume that keeps times to 2 seconds rounds them.
constexpr std::int64_t kCoarseSeconds = 2;
constexpr std::int64_t kQuarterHour = 900;
// Time zones lie within 14 hours of UTC.
constexpr std::int64_t kMostZoneShift = 14 * 3600;

// A try that failed: of the file's own or of its surroundings, as its reason tells.
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

// A folded path's digest (FNV-1a over its UTF-16 units): the directory's files are found by it.
// Thirty-two bits: another path with the same digest only costs a comparison.
constexpr std::uint32_t kDigestStart = 2166136261u;
void Mix(std::uint32_t& digest, char16_t unit) { digest = (digest ^ unit) * 16777619u; }

std::uint32_t Digest(rt::TextView folded) {
  std::uint32_t digest = kDigestStart;
  for (const char16_t unit : folded) Mix(digest, unit);
  return digest;
}

// The digest of a path's UTF-8 bytes folded, without making room for its text: most lines are
// about files elsewhere. None when they are not UTF-8.
std::optional<std::uint32_t> FoldedDigest(std::string_view bytes) {
  std::uint32_t digest = kDigestStart;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[at++]);
    if (lead < 0x80) {
      Mix(digest, static_cast<char16_t>(lead >= 'a' && lead <= 'z' ? lead - ('a' - 'A') : lead));
      continue;
    }
    const std::size_t more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 4;
    if (more > 3 || at + more > bytes.size()) return std::nullopt;
    char32_t code = lead & (0x7F >> more);
    for (const char next : bytes.substr(at, more)) {
      if ((static_cast<unsigned char>(next) & 0xC0) != 0x80) return std::nullopt;
      code = code << 6 | (static_cast<unsigned char>(next) & 0x3F);
    }
    at += more;
    if (code < 0x10000) {
      Mix(digest, rt::UpperCaseOf(static_cast<char16_t>(code)));
    } else {
      Mix(digest, static_cast<char16_t>(0xD7C0 + (code >> 10)));
      Mix(digest, static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
  }
  return digest;
}

// The bit of a digest or a size, of 2^20: few files' share one.
constexpr std::size_t kBits = std::size_t{1} << 20;
std::size_t BitOf(std::uint32_t digest) { return digest >> 12; }
std::size_t BitOf(std::uint64_t size) { return static_cast<std::size_t>(size * 0x9E3779B97F4A7C15ull >> 44); }

// Whether a folded path with "?" for the letters a code page lacks fits a file's folded path.
bool Fits(rt::TextView pattern, rt::TextView path) {
  return pattern.size() == path.size() && std::equal(pattern.begin(), pattern.end(), path.begin(),
                                                     [](char16_t p, char16_t c) { return p == u'?' || p == c; });
}

// The output a line names is the one the file's name gives: files that differ only in letters a
// "?" stands for are told apart by it.
bool OutputFits(const InputFile& file, const JournalEntry& entry) {
  if (entry.outputPath.empty()) return true;
  const NameFields fields = ReadNameFields(FileNamePart(file.path));
  return CheckNameFields(fields) == NameProblem::None &&
         FoldedName(FileNamePart(entry.outputPath)) == FoldedName(OutputName(fields));
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
  pathBits_.assign(kBits, false);
  sizeBits_.assign(kBits, false);
  for (auto& [folded, file] : byName) {
    const std::uint32_t digest = Digest(folded);
    byPath_.emplace(digest, files_.size());
    pathBits_[BitOf(digest)] = true;
    sizeBits_[BitOf(file.size)] = true;
    folded_.push_back(std::move(folded));
    files_.push_back(std::move(file));
  }
  states_.assign(files_.size(), State::New);
  heldBack_.assign(files_.size(), false);
}

bool NewFilesSearch::Wanted(JournalResult result, std::uint64_t size, std::string_view inputPath, const void* search) {
  const auto& self = *static_cast<const NewFilesSearch*>(search);
  if ((result != JournalResult::Converted && !Failure(result)) || !self.sizeBits_[BitOf(size)]) return false;
  // In the ANSI code page a path is read as text first, and its "?" may name several files.
  if (self.form_->ansi) return true;
  const std::optional<std::uint32_t> digest = FoldedDigest(inputPath);
  return !digest || self.pathBits_[BitOf(*digest)];
}

void NewFilesSearch::StartJournal() {
  form_.reset();
  line_ = 0;
  notAJournal_ = false;
  passedOver_ = {};
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

template <typename Found>
void NewFilesSearch::FilesNamed(rt::TextView path, std::optional<std::uint64_t> size, Found found) {
  path_.assign(path);
  FoldInPlace(path_);
  for (auto [at, end] = byPath_.equal_range(Digest(path_)); at != end; ++at) {
    if (folded_[at->second] == path_) found(at->second, false);
  }
  if (!form_->ansi || path_.find(u'?') == rt::Text::npos) return;
  for (std::size_t index = 0; index < files_.size(); ++index) {
    if ((!size || files_[index].size == *size) && Fits(path_, folded_[index])) found(index, true);
  }
}

std::size_t NewFilesSearch::TakeJournal(std::string_view bytes) {
  std::size_t taken = 0;
  for (std::size_t end; !notAJournal_ && (end = JournalLineEnd(bytes, taken)) != std::string_view::npos;
       taken = end + 1) {
    const std::string_view line = bytes.substr(taken, end - taken);
    ++line_;
    if (!form_) {
      form_ = JournalFormOf(line, locale_);
      notAJournal_ = !form_;
      continue;
    }
    const LineRead read = ReadJournalLine(line, *form_, locale_, read_, {&Wanted, this});
    if (read == LineRead::Entry) TakeEntry();
    if (read == LineRead::Unreadable) PassOver();
  }
  return taken;
}

// Converted, or failed of its own, as the file is now; anything else leaves it as it was before.
void NewFilesSearch::TakeEntry() {
  const bool converted = read_.result == JournalResult::Converted;
  if (!converted && !FailedOfItsOwn(read_.result, read_.reason)) return;
  FilesNamed(read_.inputPath, read_.size, [this, converted](std::size_t index, bool byPattern) {
    const InputFile& file = files_[index];
    if (file.size == read_.size && SameWriteTime(file, read_) && (!byPattern || OutputFits(file, read_))) {
      states_[index] = converted ? State::Converted : State::Failed;
    }
  });
}

void NewFilesSearch::PassOver() {
  if (passedOver_.count < UnreadJournalLines::kTold)
    passedOver_.first[static_cast<std::size_t>(passedOver_.count)] = line_;
  ++passedOver_.count;
  FilesNamed(read_.inputPath, std::nullopt, [this](std::size_t index, bool) { heldBack_[index] = true; });
}

std::vector<rt::Text> NewFilesSearch::FilesIn(State state) const {
  std::vector<rt::Text> found;
  for (std::size_t index = 0; index < files_.size(); ++index) {
    if (states_[index] == state && (state != State::New || !heldBack_[index])) found.push_back(files_[index].path);
  }
  return found;
}

std::vector<rt::Text> NewFilesSearch::NewFiles() const { return FilesIn(State::New); }
std::vector<rt::Text> NewFilesSearch::FailedFiles() const { return FilesIn(State::Failed); }

}  // namespace convert
