#include "convert/journal/rules/journal_view.h"

#include "convert/rules/batch_plan.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/name_fields.h"
#include "runtime/text/number_text.h"

namespace convert {
namespace {

// A cell may not break the table: tabs become blanks (the journal has no line breaks in a field).
rt::Text Cell(rt::TextView text) {
  rt::Text cell(text);
  for (char16_t& c : cell) c = c == u'\t' ? u' ' : c;
  return cell;
}

}  // namespace

std::size_t JournalView::Append(std::string_view bytes) {
  std::size_t taken = 0;
  for (std::size_t end; (end = bytes.find('\n', taken)) != std::string_view::npos; taken = end + 1) {
    if (!ReadJournalLine(bytes.substr(taken, end - taken), read_)) continue;  // the header, or a line cut short
    lines_.push_back({bytes_.size() + taken, end - taken, read_.result == JournalResult::Converted});
    if (!failedOnly_ || !lines_.back().converted) shown_.push_back(lines_.size() - 1);
  }
  bytes_.append(bytes.substr(0, taken));
  return taken;
}

void JournalView::Clear() {
  bytes_.clear();
  lines_.clear();
  shown_.clear();
}

void JournalView::ShowFailedOnly(bool failedOnly) {
  failedOnly_ = failedOnly;
  shown_.clear();
  for (std::size_t index = 0; index < lines_.size(); ++index) {
    if (!failedOnly_ || !lines_[index].converted) shown_.push_back(index);
  }
}

JournalEntry JournalView::Entry(std::size_t row) const {
  const Line& line = lines_[shown_[shown_.size() - 1 - row]];
  JournalEntry entry;
  ReadJournalLine(std::string_view(bytes_).substr(line.offset, line.length), entry);
  return entry;
}

std::vector<rt::Text> JournalView::Cells(const JournalEntry& entry) {
  const rt::TextView words = JournalResultWords(entry.result);
  return {entry.time, FileNamePart(entry.inputPath), FileNamePart(entry.outputPath),
          rt::Concat({FoldedName(words.substr(0, 1)), words.substr(1)}), entry.reason};
}

rt::Text JournalView::Table(std::span<const std::size_t> rows) const {
  rt::Text table = rt::Concat({kJournalColumnTime, u"\t", kColumnInput, u"\t", kColumnOutput, u"\t",
                               kJournalColumnResult, u"\t", kJournalColumnReason, u"\r\n"});
  auto add = [&](std::size_t row) {
    const std::vector<rt::Text> cells = Cells(Entry(row));
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
      table += rt::Concat({Cell(cells[cell]), cell + 1 < cells.size() ? u"\t" : u"\r\n"});
    }
  };
  if (rows.empty()) {
    for (std::size_t row = 0; row < RowCount(); ++row) add(row);
  }
  for (const std::size_t row : rows) add(row);
  return table;
}

rt::Text JournalView::Summary() const {
  const rt::Text all = rt::Concat({kJournalEntries, rt::DecimalText(EntryCount())});
  return failedOnly_ ? rt::Concat({all, kJournalFailedShown, rt::DecimalText(RowCount())}) : all;
}

}  // namespace convert
