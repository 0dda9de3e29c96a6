// The journal as its window shows it: newest first (the last line written on top), every row or
// only those not converted. The journal's bytes are kept as read and a row is read from them only
// when it is shown, so that a journal of many thousands of lines opens at once.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/journal/rules/journal_line.h"

namespace convert {

class JournalView {
 public:
  // Takes the journal's bytes that follow those taken so far, up to the end of their last whole
  // line, and returns how many it took: a line still being written waits for its end. The rows it
  // adds come first.
  std::size_t Append(std::string_view bytes);
  // Forgets every byte taken: the journal was replaced.
  void Clear();

  void ShowFailedOnly(bool failedOnly);
  bool FailedOnly() const { return failedOnly_; }

  std::size_t RowCount() const { return shown_.size(); }  // shown
  std::size_t EntryCount() const { return lines_.size(); }
  JournalEntry Entry(std::size_t row) const;

  // What a row shows: time, input name, output name, result, reason.
  static std::vector<rt::Text> Cells(const JournalEntry& entry);
  // A header line and the rows (every row shown when none is given), columns separated by tabs,
  // lines by CR LF.
  rt::Text Table(std::span<const std::size_t> rows) const;
  // "Записей: 12" with what the filter shows.
  rt::Text Summary() const;

 private:
  struct Line {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool converted = false;
  };
  std::string bytes_;
  std::vector<Line> lines_;         // the journal's entries in the order written
  std::vector<std::size_t> shown_;  // indexes into lines_, in the same order
  bool failedOnly_ = false;
  JournalEntry read_;  // each line is read into it, keeping its room
};

}  // namespace convert
