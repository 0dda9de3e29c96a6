// The journal as its window shows it: newest first (the last line written on top), every row or
// only those not converted. Of each line only which of the journal's files holds it, where it
// starts there and whether it tells of a converted file are kept (9 bytes, and a few for each run of
// lines from one file), and a row is read from its file only when it is shown, so that a journal of
// millions of lines opens at once in a few tens of megabytes, whatever the number of its files.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/journal/rules/append_only_list.h"
#include "convert/journal/rules/journal_line.h"

namespace convert {

// Where a line is: which of the journal's files (numbered in the order they are read: the kept
// journals, the journal, the lines waiting) and where in that file it starts.
struct JournalLinePlace {
  std::uint32_t file = 0;
  std::uint64_t offset = 0;
};

// An entry's line, and what it tells.
struct JournalLineMark {
  JournalLinePlace place;
  bool converted = false;
};

// Lines of the journal's files that are no entry the program can read (whole, but a time, size or
// word not understood; a header of no journal; a line longer than any entry): passed over, counted,
// and the first few named by their file and line number (the header is line 1).
struct PassedOverLines {
  static constexpr std::size_t kNamed = 5;
  struct Line {
    std::uint32_t file = 0;
    std::uint64_t number = 0;
    bool operator==(const Line&) const = default;
  };
  std::uint64_t count = 0;
  std::vector<Line> named;

  void Add(std::uint32_t file, std::uint64_t number);
};

// How far the index has read one of the journal's files.
struct JournalFileReading {
  std::uint32_t file = 0;
  std::uint64_t offset = 0;  // bytes indexed
  std::uint64_t lines = 0;   // whole lines among them
  JournalForm form;          // as its first line tells, once read; what is no journal's header shows no rows
};

// Marks the entries among the whole lines of `bytes`, which start at `reading.offset` of its file
// (each line read into `scratch`), and moves `reading` past those lines: a line still being written
// waits for its end. Returns how many bytes they take.
std::size_t MarkJournalLines(std::string_view bytes, JournalFileReading& reading, const JournalLocale& locale,
                             JournalEntry& scratch, std::vector<JournalLineMark>& marks, PassedOverLines& passed);

// «Пропущено строк, которые не похожи на запись журнала: 3 (Vexilate-journal.csv: строки 5, 9; …)»,
// the files named by their numbers; empty when none was.
rt::Text PassedOverNote(const PassedOverLines& passed, std::span<const rt::Text> fileNames);

// Reads the entry whose line is at a place of the journal; false when it cannot be read.
using JournalLineReader = std::function<bool(const JournalLinePlace& place, JournalEntry& entry)>;

// A cell as a spreadsheet takes it from the clipboard: never a formula, never a column or line break.
rt::Text PlainCell(rt::TextView text);

// The rows shown at one moment, newest first, as a copy that another thread may read while the
// view goes on: rows added, the filter switched, the journal replaced.
class JournalRows {
 public:
  std::size_t size() const { return failedOnly_ ? shown_.size() : offsets_.size(); }
  JournalLinePlace Place(std::size_t row) const;

 private:
  friend class JournalView;
  // From `first` on (an index of the lines), the lines are those of `file`, until the next run.
  struct FileRun {
    std::size_t first = 0;
    std::uint32_t file = 0;
  };
  std::size_t Index(std::size_t row) const;

  AppendOnlyList<std::uint64_t> offsets_;  // of the lines in their files, in the order written
  AppendOnlyList<bool> converted_;         // whether each tells of a converted file
  std::vector<FileRun> runs_;              // in the same order
  AppendOnlyList<std::uint32_t> shown_;    // indexes of the lines not converted, in the same order
  bool failedOnly_ = false;
};

// The table of `rows` (numbers of rows of `shown`; every row when none), the newest `most` of them,
// as the clipboard gets it: a header line, then a line a row, columns separated by tabs, lines
// ending in CR LF, handed to `put` a line at a time so that the whole is never held here. A row that
// cannot be read is left out; `put` returning false stops it.
void WriteJournalTable(const JournalRows& shown, std::span<const std::size_t> rows, std::size_t most,
                       const JournalLineReader& reader, const std::function<bool(rt::TextView)>& put);

// The first row from `start` on, round to the top, whose time starts with `typed` (letters in any
// case); none when there is none, or when `stop` is set meanwhile.
std::optional<std::size_t> FindJournalRow(const JournalRows& shown, std::size_t start, rt::TextView typed,
                                          const JournalLineReader& reader, const std::atomic<bool>& stop);

class JournalView {
 public:
  explicit JournalView(JournalLineReader reader) : reader_(std::move(reader)) {}

  // Entries written after those added so far: their rows come first, filtered as the rows shown.
  void Add(std::span<const JournalLineMark> marks);
  // Forgets every entry, the filter kept: the journal was replaced.
  void Clear();

  void ShowFailedOnly(bool failedOnly);
  bool FailedOnly() const { return rows_.failedOnly_; }

  std::size_t RowCount() const { return rows_.size(); }  // shown
  std::size_t EntryCount() const { return rows_.offsets_.size(); }
  JournalEntry Entry(std::size_t row) const;
  // The rows shown now, for another thread.
  const JournalRows& Rows() const { return rows_; }

  // What a row shows: time, input name, output name, result, reason.
  static std::vector<rt::Text> Cells(const JournalEntry& entry);
  // "Записей: 12" with what the filter shows.
  rt::Text Summary() const;

 private:
  JournalLineReader reader_;
  JournalRows rows_;
};

}  // namespace convert
