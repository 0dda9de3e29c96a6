#include "convert/journal/rules/journal_view.h"

#include <algorithm>
#include <array>

#include "convert/rules/batch_plan.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/name_fields.h"
#include "runtime/text/number_text.h"
#include "runtime/text/upper_case.h"

namespace convert {
namespace {

// The name after the path's last "\" and before the blanks that end it, as FileNamePart gives it,
// without a copy.
rt::TextView NameIn(rt::TextView path) {
  path = path.substr(0, path.find_last_not_of(rt::kBlank) + 1);
  return path.substr(static_cast<std::size_t>(LastSeparator(path)));
}

// A result's words as a row shows them, with a capital.
rt::TextView ResultCell(JournalResult result) {
  static const std::array<rt::Text, 8> cells = [] {
    std::array<rt::Text, 8> words;
    for (std::size_t kind = 0; kind < words.size(); ++kind) {
      words[kind] = JournalResultWords(static_cast<JournalResult>(kind));
      words[kind][0] = rt::UpperCaseOf(words[kind][0]);
    }
    return words;
  }();
  return cells.at(static_cast<std::size_t>(result));
}

// What a row shows, as views of its entry: time, input name, output name, result, reason. A table
// of a million rows is written without a copy of each.
std::array<rt::TextView, 5> CellsOf(const JournalEntry& entry) {
  return {entry.time, NameIn(entry.inputPath), NameIn(entry.outputPath), ResultCell(entry.result), entry.reason};
}

void AppendPlainCell(rt::Text& line, rt::TextView text) {
  if (!text.empty() && rt::TextView(u"=+-@").find(text.front()) != rt::TextView::npos) line += u'\'';
  for (const char16_t c : text) line += c == u'\t' ? u' ' : c;
}

}  // namespace

void PassedOverLines::Add(std::uint32_t file, std::uint64_t number) {
  ++count;
  if (named.size() < kNamed) named.push_back({file, number});
}

std::size_t MarkJournalLines(std::string_view bytes, JournalFileReading& reading, const JournalLocale& locale,
                             JournalEntry& scratch, std::vector<JournalLineMark>& marks, PassedOverLines& passed) {
  std::size_t taken = 0;
  for (std::size_t end; (end = bytes.find('\n', taken)) != std::string_view::npos; taken = end + 1) {
    const std::string_view line = bytes.substr(taken, end - taken);
    if (++reading.lines == 1) {
      const std::optional<JournalForm> form = JournalFormOf(line, locale);
      if (!form) passed.Add(reading.file, 1);
      reading.form = form.value_or(JournalForm());
      continue;
    }
    // An empty line or one cut short shows no row and is no fault of anyone's.
    const LineRead read = ReadJournalLine(line, reading.form, locale, scratch);
    if (read == LineRead::Unreadable) passed.Add(reading.file, reading.lines);
    if (read != LineRead::Entry) continue;
    marks.push_back({{reading.file, reading.offset + taken}, scratch.result == JournalResult::Converted});
  }
  reading.offset += taken;
  return taken;
}

rt::Text PassedOverNote(const PassedOverLines& passed, std::span<const rt::Text> fileNames) {
  if (passed.count == 0) return {};
  rt::Text note = rt::Concat({kJournalPassedOver, rt::DecimalText(passed.count), u" ("});
  const auto& named = passed.named;
  for (std::size_t first = 0, next; first < named.size(); first = next) {
    // Each file named once, with its lines.
    for (next = first + 1; next < named.size() && named[next].file == named[first].file;) ++next;
    if (first > 0) note += u"; ";
    if (named[first].file < fileNames.size()) note += fileNames[named[first].file];
    note += rt::Concat({u": ", next - first == 1 ? kJournalPassedLine : kJournalPassedLines});
    for (std::size_t line = first; line < next; ++line) {
      note += rt::Concat({line > first ? u", " : u"", rt::DecimalText(named[line].number)});
    }
  }
  if (passed.count > named.size())
    note += rt::Concat({kJournalPassedMore, rt::DecimalText(passed.count - named.size())});
  return note + u")";
}

// Excel runs a pasted cell that starts with = + - @ as a formula (which can reach other programs
// through DDE): an apostrophe in front keeps it text. The tab-separated form has no quoting that
// Excel honours for this, and the apostrophe stays harmless and readable everywhere else. Tabs
// become blanks so that a cell cannot break the table (a journal field has no line breaks).
rt::Text PlainCell(rt::TextView text) {
  rt::Text cell;
  cell.reserve(text.size() + 1);
  AppendPlainCell(cell, text);
  return cell;
}

std::size_t JournalRows::Index(std::size_t row) const {
  const std::size_t index = size() - 1 - row;
  return failedOnly_ ? shown_[index] : index;
}

JournalLinePlace JournalRows::Place(std::size_t row) const {
  const std::size_t index = Index(row);
  // The last run that starts at or before the line.
  const auto run = std::upper_bound(runs_.begin(), runs_.end(), index,
                                    [](std::size_t line, const FileRun& next) { return line < next.first; });
  return {std::prev(run)->file, offsets_[index]};
}

void WriteJournalTable(const JournalRows& shown, std::span<const std::size_t> rows, std::size_t most,
                       const JournalLineReader& reader, const std::function<bool(rt::TextView)>& put) {
  if (!put(rt::Concat({kJournalColumnTime, u"\t", kColumnInput, u"\t", kColumnOutput, u"\t", kJournalColumnResult,
                       u"\t", kJournalColumnReason, u"\r\n"}))) {
    return;
  }
  rt::Text line;
  JournalEntry entry;  // each keeps its room from one row to the next
  auto add = [&](std::size_t row) {
    if (!reader(shown.Place(row), entry)) return true;
    line.clear();
    for (const rt::TextView cell : CellsOf(entry)) {
      AppendPlainCell(line, cell);
      line += u'\t';
    }
    line.back() = u'\r';
    line += u'\n';
    return put(line);
  };
  const std::size_t count = std::min(rows.empty() ? shown.size() : rows.size(), most);
  for (std::size_t row = 0; row < count; ++row) {
    if (!add(rows.empty() ? row : rows[row])) return;
  }
}

std::optional<std::size_t> FindJournalRow(const JournalRows& shown, std::size_t start, rt::TextView typed,
                                          const JournalLineReader& reader, const std::atomic<bool>& stop) {
  const rt::Text folded = FoldedName(typed);
  JournalEntry entry;
  rt::Text time;
  for (std::size_t step = 0; step < shown.size() && !stop.load(std::memory_order_relaxed); ++step) {
    const std::size_t row = (start + step) % shown.size();
    if (!reader(shown.Place(row), entry) || entry.time.size() < folded.size()) continue;
    time.assign(entry.time, 0, folded.size());
    FoldInPlace(time);
    if (time == folded) return row;
  }
  return std::nullopt;
}

void JournalView::Add(std::span<const JournalLineMark> marks) {
  for (const JournalLineMark& mark : marks) {
    const std::size_t index = rows_.offsets_.size();
    if (rows_.runs_.empty() || rows_.runs_.back().file != mark.place.file) {
      rows_.runs_.push_back({index, mark.place.file});
    }
    if (rows_.failedOnly_ && !mark.converted) rows_.shown_.push_back(static_cast<std::uint32_t>(index));
    rows_.offsets_.push_back(mark.place.offset);
    rows_.converted_.push_back(mark.converted);
  }
}

void JournalView::Clear() {
  const bool failedOnly = rows_.failedOnly_;
  rows_ = JournalRows();
  rows_.failedOnly_ = failedOnly;
}

void JournalView::ShowFailedOnly(bool failedOnly) {
  rows_.failedOnly_ = failedOnly;
  rows_.shown_.clear();
  if (!failedOnly) return;
  for (std::size_t index = 0; index < rows_.offsets_.size(); ++index) {
    if (!rows_.converted_[index]) rows_.shown_.push_back(static_cast<std::uint32_t>(index));
  }
}

JournalEntry JournalView::Entry(std::size_t row) const {
  JournalEntry entry;
  reader_(rows_.Place(row), entry);
  return entry;
}

std::vector<rt::Text> JournalView::Cells(const JournalEntry& entry) {
  const std::array<rt::TextView, 5> cells = CellsOf(entry);
  return {cells.begin(), cells.end()};
}

rt::Text JournalView::Summary() const {
  const rt::Text all = rt::Concat({kJournalEntries, rt::DecimalText(EntryCount())});
  return FailedOnly() ? rt::Concat({all, kJournalFailedShown, rt::DecimalText(RowCount())}) : all;
}

}  // namespace convert
