// Which XML files of the input directory have not been converted yet: those for which the journal
// holds no "сконвертирован" line with the same full path (letters without case), size and last
// write time. A file changed or sent again is new again. One whose last try as it is now failed
// for a cause of its own (FailedOfItsOwn) is not new: it is tried again only when the user asks.
// One stopped, or failed for its surroundings, is as it was before that try: new unless converted.
// Write times are compared in UTC where the journal has it, so that a change of time zone or of
// daylight saving does not make a file new; otherwise by the local time the journal holds, to the
// minute when a spreadsheet dropped the seconds. A journal a spreadsheet saved in the ANSI code
// page has "?" for each letter the page lacks: such a path names the files it fits whose size,
// time and output are the line's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "convert/journal/rules/journal_line.h"

namespace convert {

// A file directly in the input directory, as the directory lists it.
struct InputFile {
  rt::Text path;  // full
  std::uint64_t size = 0;
  std::int64_t utcSeconds = 0;    // its last write time in UTC, as ClockSecondsOf gives it
  std::int64_t localSeconds = 0;  // and as the local clock showed it
  // On a volume that keeps local times to 2 seconds (FAT, exFAT): a change of time zone or of
  // daylight saving moves its UTC time by whole quarter hours.
  bool localTimes = false;
};

// The lines of a journal that could not be read: the numbers of the first few, and how many.
struct UnreadJournalLines {
  static constexpr std::size_t kTold = 5;
  std::array<std::uint64_t, kTold> first{};
  std::uint64_t count = 0;
};

class NewFilesSearch {
 public:
  // Every file of the directory; only the XML files count.
  NewFilesSearch(std::vector<InputFile> files, const JournalLocale& locale);

  // A journal file begins: its first line tells its form.
  void StartJournal();
  // The journal's bytes that follow those taken so far, up to the end of their last whole line;
  // returns how many it took. What follows the last line end is a line still being written.
  std::size_t TakeJournal(std::string_view bytes);
  // A line too long for any entry was passed over.
  void SkipLine() { ++line_; }
  // Whether the journal begun has no journal's header for its first line: nothing of it can be
  // read, and nothing more is taken from it.
  bool NotAJournal() const { return notAJournal_; }
  // The lines of the journal begun that could not be read. Each is passed over, and the files its
  // input path names are held back from the new ones. A line whose size is no file's, whose result
  // says nothing of what is new, or whose path is no file's is passed over unread: it tells of none.
  const UnreadJournalLines& PassedOver() const { return passedOver_; }

  // The full paths of the XML files no entry taken so far has converted, failed or held back, in
  // name order.
  std::vector<rt::Text> NewFiles() const;
  // Those whose last try, unchanged since, failed for a cause of their own.
  std::vector<rt::Text> FailedFiles() const;

 private:
  enum class State : std::uint8_t { New, Converted, Failed };
  std::vector<rt::Text> FilesIn(State state) const;
  bool SameWriteTime(const InputFile& file, const JournalEntry& entry) const;
  // Whether a line of this result, size and input path (its bytes) can tell of a file of the directory.
  static bool Wanted(JournalResult result, std::uint64_t size, std::string_view inputPath, const void* search);
  // Each file the path names (of this size, when one is given): `found(index, byPattern)`.
  template <typename Found>
  void FilesNamed(rt::TextView path, std::optional<std::uint64_t> size, Found found);
  void TakeEntry();
  void PassOver();

  std::vector<InputFile> files_;                                // in name order
  std::vector<rt::Text> folded_;                                // their paths folded
  std::vector<State> states_;                                   // of each file
  std::vector<bool> heldBack_;                                  // by a line that could not be read
  std::unordered_multimap<std::uint32_t, std::size_t> byPath_;  // the digest of the folded path: index
  // A bit for the digest of each file's folded path, and one for its size: most lines are about no
  // file of the directory, and one look tells (a bit another path or size shares costs a read).
  std::vector<bool> pathBits_, sizeBits_;
  JournalLocale locale_;
  std::optional<JournalForm> form_;  // of the journal being taken; none before its first line
  std::uint64_t line_ = 0;           // lines of it taken
  bool notAJournal_ = false;
  UnreadJournalLines passedOver_;
  JournalEntry read_;  // each line is read into it
  rt::Text path_;      // and its path folded
};

}  // namespace convert
