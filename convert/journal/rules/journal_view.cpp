#include "convert/journal/rules/journal_view.h"

#include "convert/rules/batch_plan.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/name_fields.h"
#include "runtime/text/number_text.h"

namespace convert {
namespace {

constexpr std::uint64_t kConvertedBit = 1;

bool Converted(std::uint64_t start) { return (start & kConvertedBit) != 0; }

}  // namespace

std::size_t MarkJournalLines(std::string_view bytes, std::uint64_t offset, const JournalForm& form,
                             const JournalLocale& locale, JournalEntry& scratch, std::vector<JournalLineMark>& marks) {
  std::size_t taken = 0;
  for (std::size_t end; (end = bytes.find('\n', taken)) != std::string_view::npos; taken = end + 1) {
    // The header, a line cut short or one not understood shows no row.
    if (ReadJournalLine(bytes.substr(taken, end - taken), form, locale, scratch) != LineRead::Entry) continue;
    marks.push_back({offset + taken, scratch.result == JournalResult::Converted});
  }
  return taken;
}

// Excel runs a pasted cell that starts with = + - @ as a formula (which can reach other programs
// through DDE): an apostrophe in front keeps it text. The tab-separated form has no quoting that
// Excel honours for this, and the apostrophe stays harmless and readable everywhere else. Tabs
// become blanks so that a cell cannot break the table (a journal field has no line breaks).
rt::Text PlainCell(rt::TextView text) {
  rt::Text cell;
  cell.reserve(text.size() + 1);
  if (!text.empty() && rt::TextView(u"=+-@").find(text.front()) != rt::TextView::npos) cell += u'\'';
  for (const char16_t c : text) cell += c == u'\t' ? u' ' : c;
  return cell;
}

void JournalView::Add(std::span<const JournalLineMark> marks) {
  for (const JournalLineMark& mark : marks) {
    if (failedOnly_ && !mark.converted) shown_.push_back(static_cast<std::uint32_t>(starts_.size()));
    starts_.push_back(mark.offset << 1 | (mark.converted ? kConvertedBit : 0));
  }
}

void JournalView::Clear() {
  starts_.clear();
  shown_.clear();
}

void JournalView::ShowFailedOnly(bool failedOnly) {
  failedOnly_ = failedOnly;
  shown_.clear();
  shown_.shrink_to_fit();
  if (!failedOnly_) return;
  for (std::size_t index = 0; index < starts_.size(); ++index) {
    if (!Converted(starts_[index])) shown_.push_back(static_cast<std::uint32_t>(index));
  }
}

std::uint64_t JournalView::Start(std::size_t row) const {
  const std::size_t index = RowCount() - 1 - row;
  return starts_[failedOnly_ ? shown_[index] : index] >> 1;
}

JournalEntry JournalView::Entry(std::size_t row) const {
  JournalEntry entry;
  reader_(Start(row), entry);
  return entry;
}

std::vector<rt::Text> JournalView::Cells(const JournalEntry& entry) {
  const rt::TextView words = JournalResultWords(entry.result);
  return {entry.time, FileNamePart(entry.inputPath), FileNamePart(entry.outputPath),
          rt::Concat({FoldedName(words.substr(0, 1)), words.substr(1)}), entry.reason};
}

void JournalView::Table(std::span<const std::size_t> rows, const std::function<void(rt::TextView)>& put) const {
  put(rt::Concat({kJournalColumnTime, u"\t", kColumnInput, u"\t", kColumnOutput, u"\t", kJournalColumnResult, u"\t",
                  kJournalColumnReason, u"\r\n"}));
  rt::Text line;
  JournalEntry entry;  // keeps its room from one row to the next
  auto add = [&](std::size_t row) {
    reader_(Start(row), entry);
    const std::vector<rt::Text> cells = Cells(entry);
    line.clear();
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
      line += PlainCell(cells[cell]);
      line += cell + 1 < cells.size() ? u"\t" : u"\r\n";
    }
    put(line);
  };
  if (rows.empty()) {
    for (std::size_t row = 0; row < RowCount(); ++row) add(row);
  }
  for (const std::size_t row : rows) add(row);
}

rt::Text JournalView::Table(std::span<const std::size_t> rows) const {
  rt::Text table;
  Table(rows, [&](rt::TextView part) { table += part; });
  return table;
}

rt::Text JournalView::Summary() const {
  const rt::Text all = rt::Concat({kJournalEntries, rt::DecimalText(EntryCount())});
  return failedOnly_ ? rt::Concat({all, kJournalFailedShown, rt::DecimalText(RowCount())}) : all;
}

}  // namespace convert
