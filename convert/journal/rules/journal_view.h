// The journal as its window shows it: newest first (the last line written on top), every row or
// only those not converted. Of each line only where it starts in the file and whether it tells of
// a converted file are kept (8 bytes), and a row is read from the file only when it is shown, so
// that a journal of millions of lines opens at once in a few tens of megabytes.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/journal/rules/journal_line.h"

namespace convert {

// Where an entry's line starts in the journal file, and what it tells.
struct JournalLineMark {
  std::uint64_t offset = 0;
  bool converted = false;
};

// Marks the entries among the whole lines of `bytes`, which start at `offset` in the file and are
// written in `form` (each line read into `scratch`), and returns how many bytes those lines take: a
// line still being written waits for its end.
std::size_t MarkJournalLines(std::string_view bytes, std::uint64_t offset, const JournalForm& form,
                             const JournalLocale& locale, JournalEntry& scratch, std::vector<JournalLineMark>& marks);

// Reads the entry whose line starts at an offset of the journal; false when it cannot be read.
using JournalLineReader = std::function<bool(std::uint64_t offset, JournalEntry& entry)>;

// A cell as a spreadsheet takes it from the clipboard: never a formula, never a column or line break.
rt::Text PlainCell(rt::TextView text);

class JournalView {
 public:
  explicit JournalView(JournalLineReader reader) : reader_(std::move(reader)) {}

  // Entries written after those added so far: their rows come first, filtered as the rows shown.
  void Add(std::span<const JournalLineMark> marks);
  // Forgets every entry: the journal was replaced.
  void Clear();

  void ShowFailedOnly(bool failedOnly);
  bool FailedOnly() const { return failedOnly_; }

  std::size_t RowCount() const { return failedOnly_ ? shown_.size() : starts_.size(); }  // shown
  std::size_t EntryCount() const { return starts_.size(); }
  JournalEntry Entry(std::size_t row) const;

  // What a row shows: time, input name, output name, result, reason.
  static std::vector<rt::Text> Cells(const JournalEntry& entry);
  // A header line and the rows (every row shown when none is given), columns separated by tabs,
  // lines by CR LF, handed to `put` a line at a time so that the whole is never held here.
  void Table(std::span<const std::size_t> rows, const std::function<void(rt::TextView)>& put) const;
  rt::Text Table(std::span<const std::size_t> rows) const;
  // "Записей: 12" with what the filter shows.
  rt::Text Summary() const;

 private:
  std::uint64_t Start(std::size_t row) const;

  JournalLineReader reader_;
  // Each entry's offset shifted left by one, the low bit set when it was converted, in the order written.
  std::vector<std::uint64_t> starts_;
  std::vector<std::uint32_t> shown_;  // indexes into starts_ of the rows not converted, in the same order
  bool failedOnly_ = false;
};

}  // namespace convert
