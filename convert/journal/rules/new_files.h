// Which XML files of the input directory have not been converted yet: those for which the journal
// holds no "сконвертирован" line with the same full path (letters without case), size and last
// write time. A file changed or sent again is new again. One whose last try as it is now failed or
// was refused is not new: it is tried again only when the user asks. A stopped one is new.
// Write times are compared in UTC where the journal has it, so that a change of time zone or of
// daylight saving does not make a file new; otherwise by the local time the journal holds, to the
// minute when a spreadsheet dropped the seconds.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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
  // The number of the first line of the journals taken that could not be read (1 for a header of
  // no journal), from which nothing more is taken; none while all could. A line whose size is no
  // file's, or whose result says nothing of what is new, is passed over unread: it tells of no file.
  std::optional<std::uint64_t> UnreadableLine() const { return unreadable_; }

  // The full paths of the XML files no entry taken so far has converted or failed, in name order.
  std::vector<rt::Text> NewFiles() const;
  // Those whose last try, unchanged since, failed or was refused.
  std::vector<rt::Text> FailedFiles() const;

 private:
  enum class State : std::uint8_t { New, Converted, Failed };
  std::vector<rt::Text> FilesIn(State state) const;
  bool SameWriteTime(const InputFile& file, const JournalEntry& entry) const;
  // Whether a line of this result and size can tell of a file of the directory.
  static bool Wanted(JournalResult result, std::uint64_t size, const void* search);

  std::vector<InputFile> files_;
  std::vector<State> states_;
  std::unordered_map<rt::Text, std::size_t> byPath_;  // the folded path: index into files_
  std::unordered_set<std::uint64_t> sizes_;           // of files_: a line of another size is about no file
  JournalLocale locale_;
  std::optional<JournalForm> form_;  // of the journal being taken; none before its first line
  std::uint64_t line_ = 0;           // lines of it taken
  std::optional<std::uint64_t> unreadable_;
  JournalEntry read_;  // each line is read into it
  rt::Text folded_;    // and its path folded
};

}  // namespace convert
