#include "convert/journal/rules/journal_line.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "runtime/text/number_text.h"
#include "runtime/text/utf8_text.h"

namespace convert {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<rt::TextView, 9> kColumns = {u"Время",   u"Входной файл",  u"Размер",
                                                  u"Изменён", u"Выходной файл", u"Способ",
                                                  u"Итог",    u"Причина",       u"Изменён (UTC)"};
constexpr std::size_t kUtcColumn = 8;
constexpr std::array<rt::TextView, 8> kResults = {u"сконвертирован",
                                                  u"ошибка",
                                                  u"остановлен",
                                                  u"не сконвертирован",
                                                  u"отклонён",
                                                  u"запущен",
                                                  u"не соответствует формату",
                                                  u"не соответствует схеме"};
constexpr std::array<rt::TextView, 2> kMethods = {u"msxsl.exe", u"встроенный"};

// A field as CSV writes it: in quotes, with its quotes doubled, when it holds ";", a quote or a
// line break; a line break in a field is written as a blank, so that every line is one entry.
void AppendField(std::string& line, rt::TextView field) {
  rt::Text text(field);
  for (char16_t& c : text) c = c == u'\r' || c == u'\n' ? u' ' : c;
  if (!line.empty()) line.push_back(';');
  if (text.find_first_of(u";\"") == rt::Text::npos) return rt::AppendUtf8(line, text);
  line.push_back('"');
  // Between quotes, whole: a pair of surrogates stays one character.
  for (std::size_t start = 0, quote; start <= text.size(); start = quote + 1) {
    quote = std::min(text.find(u'"', start), text.size());
    rt::AppendUtf8(line, rt::TextView(text).substr(start, quote - start));
    if (quote < text.size()) line += "\"\"";
  }
  line.push_back('"');
}

// The first of two bytes from `from` on, or npos: a word at a time, for a journal's bytes are mostly
// on the way to a separator or a line end.
std::size_t FirstOf(std::string_view bytes, std::size_t from, char one, char other) {
  using Word = std::size_t;
  constexpr Word kOnes = ~Word{0} / 0xFF, kHighs = kOnes * 0x80;
  const Word ones = kOnes * static_cast<unsigned char>(one), others = kOnes * static_cast<unsigned char>(other);
  // A word holds the byte when one of its bytes is zero once XORed with it.
  const auto holds = [](Word word) { return ((word - kOnes) & ~word & kHighs) != 0; };
  for (Word word = 0; from + sizeof word <= bytes.size(); from += sizeof word) {
    std::memcpy(&word, bytes.data() + from, sizeof word);
    if (holds(word ^ ones) || holds(word ^ others)) break;
  }
  while (from < bytes.size() && bytes[from] != one && bytes[from] != other) ++from;
  return from < bytes.size() ? from : std::string_view::npos;
}

constexpr std::size_t kMostFields = 32;
using Fields = std::array<std::string_view, kMostFields>;
using Unquoted = std::array<std::string, kMostFields>;

// Room for the unquoted copies of fields, kept from one line to the next; looked up only for a line
// with a quote (a thread's own is slow to reach on some platforms).
Unquoted& UnquotedRoom() {
  thread_local Unquoted room;
  return room;
}

// The fields of a line from `start` on, field `count` first, each the line's own bytes or, when it
// holds a quote, its unquoted copy, until `until` fields are split or the line ends (`start` is then
// past its end). False when the line is not CSV (a quote left open) or has more fields than there
// is room for.
bool SplitFields(std::string_view line, char separator, Fields& fields, std::size_t& count, std::size_t& start,
                 std::size_t until) {
  for (; count < until && start <= line.size(); ++count) {
    if (count == fields.size()) return false;
    // Most fields hold no quote: one pass finds the separator or a quote.
    std::size_t end = std::min(FirstOf(line, start, separator, '"'), line.size());
    if (end < line.size() && line[end] == '"') {
      std::string& copy = UnquotedRoom()[count];
      copy.assign(line.substr(start, end - start));
      bool quoted = false;
      for (; end < line.size() && (quoted || line[end] != separator); ++end) {
        if (line[end] != '"') {
          copy.push_back(line[end]);
        } else if (quoted && end + 1 < line.size() && line[end + 1] == '"') {
          copy.push_back('"');
          ++end;
        } else {
          quoted = !quoted;
        }
      }
      if (quoted) return false;
      fields[count] = copy;
    } else {
      fields[count] = line.substr(start, end - start);
    }
    start = end + 1;
  }
  return true;
}

// Every field of a line: how many, or 0 when it is not CSV or has too many.
std::size_t SplitAll(std::string_view line, char separator, Fields& fields) {
  std::size_t count = 0, start = 0;
  return SplitFields(line, separator, fields, count, start, kMostFields + 1) ? count : 0;
}

bool IsUtf8(std::string_view bytes) {
  rt::Text text;
  return rt::ReadUtf8(bytes, text);
}

// A field's bytes as text in the journal's encoding, into the text's own room.
bool FieldText(std::string_view bytes, const JournalForm& form, const JournalLocale& locale, rt::Text& text) {
  if (!form.ansi) return rt::ReadUtf8(bytes, text);
  if (locale.ansiText == nullptr) return false;
  text = locale.ansiText(bytes);
  return true;
}

// The column a header's name is, or the number of columns.
std::size_t ColumnNamed(rt::TextView name) {
  while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
  while (!name.empty() && name.front() == u' ') name.remove_prefix(1);
  std::size_t column = 0;
  while (column < kColumns.size() && kColumns[column] != name) ++column;
  return column;
}

// The form a header names its columns in, split by `separator`.
std::optional<JournalForm> FormSplitBy(std::string_view header, char separator, bool ansi, bool marked,
                                       const JournalLocale& locale) {
  Fields fields;
  const std::size_t count = SplitAll(header, separator, fields);
  if (count < kColumns.size() - 1) return std::nullopt;
  JournalForm form;
  form.ansi = ansi;
  form.separator = separator;
  form.fieldOf.fill(JournalForm::kNoField);
  form.fieldCount = count;
  bool inOrder = true;
  rt::Text name;
  for (std::size_t field = 0; field < count; ++field) {
    if (!FieldText(fields[field], form, locale, name)) return std::nullopt;
    const std::size_t column = ColumnNamed(name);
    if (column < kColumns.size()) form.fieldOf[column] = static_cast<std::uint8_t>(field);
    inOrder = inOrder && column == field;
  }
  // A journal of an earlier version has no UTC column: the program's lines bring it last.
  if (inOrder && count == kUtcColumn) {
    form.fieldOf[kUtcColumn] = kUtcColumn;
    form.fieldCount = kColumns.size();
  }
  for (std::size_t column = 0; column < kUtcColumn; ++column) {
    if (form.fieldOf[column] == JournalForm::kNoField) return std::nullopt;
  }
  form.ours = inOrder && marked && !ansi && separator == ';';
  return form;
}
// The length of a mark a spreadsheet writes between thousands at the text's start, or 0: a blank, a
// no-break space (UTF-8 or the ANSI code page's), a narrow one, a comma, a point, an apostrophe.
std::size_t GroupMark(std::string_view text) {
  if (text.starts_with("\xC2\xA0")) return 2;
  if (text.starts_with("\xE2\x80\xAF")) return 3;
  return !text.empty() && std::string_view(" \xA0,.'").find(text.front()) != std::string_view::npos ? 1 : 0;
}

// A number of bytes as a spreadsheet may have written it (see ReadJournalLine); none when it is no
// whole number, or a power of ten may have dropped its last digits.
std::optional<std::uint64_t> SizeOf(std::string_view text) {
  while (text.starts_with(' ')) text.remove_prefix(1);
  while (text.ends_with(' ')) text.remove_suffix(1);
  std::size_t power = 0;
  const std::size_t e = std::min(text.find_first_of("eE"), text.size());
  if (e < text.size()) {
    std::string_view exponent = text.substr(e + 1);
    if (exponent.starts_with('+')) exponent.remove_prefix(1);
    if (exponent.empty() || exponent.size() > 2 || exponent.find_first_not_of("0123456789") != std::string_view::npos) {
      return std::nullopt;
    }
    for (const char digit : exponent) power = power * 10 + static_cast<std::size_t>(digit - '0');
  }
  // Runs of digits, each with the mark before it (any blank as ' ').
  std::array<std::string_view, 8> runs;
  std::array<char, 8> marks{};
  std::size_t count = 0;
  for (std::size_t at = 0;;) {
    const std::size_t end = std::min(text.find_first_not_of("0123456789", at), e);
    if (end == at || count == runs.size()) return std::nullopt;
    runs[count++] = text.substr(at, end - at);
    if (end == e) break;
    const std::size_t mark = GroupMark(text.substr(end, e - end));
    if (mark == 0 || count == marks.size()) return std::nullopt;
    marks[count] = mark == 1 && text[end] != ' ' && text[end] != '\xA0' ? text[end] : ' ';
    at = end + mark;
  }
  // A decimal mark: always in a mantissa; else before a last run that is no group of three, or
  // that its mark sets apart from the groups'.
  std::string_view fraction;
  const char last = marks[count - 1];
  if (count > 1 && (last == ',' || last == '.') &&
      (e < text.size() || runs[count - 1].size() != 3 || (count > 2 && marks[count - 2] != last))) {
    fraction = runs[--count];
  }
  if (count > 1 && runs[0].size() > 3) return std::nullopt;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  const auto add = [&](char digit) {
    value = value * 10 + static_cast<std::uint64_t>(digit - '0');
    return value == 0 || ++digits <= 19;
  };
  for (std::size_t run = 0; run < count; ++run) {
    if (run > 0 && (runs[run].size() != 3 || marks[run] != marks[1])) return std::nullopt;
    for (const char digit : runs[run]) {
      if (!add(digit)) return std::nullopt;
    }
  }
  if (fraction.size() < power) return std::nullopt;
  for (std::size_t place = 0; place < fraction.size(); ++place) {
    if (place < power ? !add(fraction[place]) : fraction[place] != '0') return std::nullopt;
  }
  return value;
}

// The words as the journal's bytes hold them.
template <std::size_t N>
std::array<std::string, N> InUtf8(const std::array<rt::TextView, N>& words) {
  std::array<std::string, N> bytes;
  for (std::size_t i = 0; i < N; ++i) rt::AppendUtf8(bytes[i], words[i]);
  return bytes;
}

template <typename Enum, typename Word, std::size_t N, typename Text>
bool WordsOf(const std::array<Word, N>& words, Text text, Enum& value) {
  for (std::size_t i = 0; i < N; ++i) {
    if (words[i] == text) {
      value = static_cast<Enum>(i);
      return true;
    }
  }
  return false;
}

}  // namespace

rt::TextView JournalResultWords(JournalResult result) { return kResults[static_cast<std::size_t>(result)]; }
rt::TextView JournalMethodWords(JournalMethod method) { return kMethods[static_cast<std::size_t>(method)]; }

std::string JournalStart() {
  std::string header;
  for (const rt::TextView column : kColumns) AppendField(header, column);
  return std::string(kByteOrderMark) + header + "\r\n";
}

std::string JournalLine(const JournalEntry& entry) {
  std::string line;
  const rt::Text size = rt::DecimalText(entry.size);
  for (const rt::TextView field :
       {rt::TextView(entry.time), rt::TextView(entry.inputPath), rt::TextView(size), rt::TextView(entry.modified),
        rt::TextView(entry.outputPath), JournalMethodWords(entry.method), JournalResultWords(entry.result),
        rt::TextView(entry.reason), rt::TextView(entry.modifiedUtc)}) {
    AppendField(line, field);
  }
  return line + "\r\n";
}

bool ReadJournalLine(std::string_view line, JournalEntry& entry) {
  static const JournalForm ours;
  return ReadJournalLine(line, ours, {}, entry) == LineRead::Entry;
}

LineRead ReadJournalLine(std::string_view line, const JournalForm& form, const JournalLocale& locale,
                         JournalEntry& entry, const JournalLineNeeds& needs) {
  static const std::array<std::string, kMethods.size()> methods = InUtf8(kMethods);
  static const std::array<std::string, kResults.size()> results = InUtf8(kResults);
  Fields fields;
  if (line.ends_with('\r')) line.remove_suffix(1);
  if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
  std::size_t count = 0, start = 0;
  // A reader that wants few of millions of lines learns their result, size and file before the rest is split.
  if (needs.wanted != nullptr && !form.ansi) {
    const std::size_t early = std::max({form.fieldOf[1], form.fieldOf[2], form.fieldOf[6]}) + std::size_t{1};
    if (!SplitFields(line, form.separator, fields, count, start, early) || count < early) {
      return LineRead::Skipped;
    }
    const std::string_view size = fields[form.fieldOf[2]];
    JournalResult result = JournalResult::Converted;
    std::uint64_t bytes = 0;
    bool digits = !size.empty() && size.size() <= 19;
    for (const char digit : size) {
      digits = digits && digit >= '0' && digit <= '9';
      bytes = bytes * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    if (digits && WordsOf(results, fields[form.fieldOf[6]], result) &&
        !needs.wanted(result, bytes, fields[form.fieldOf[1]], needs.reader)) {
      return LineRead::Skipped;
    }
  }
  if (!SplitFields(line, form.separator, fields, count, start, kMostFields + 1)) return LineRead::Skipped;
  const auto field = [&](std::size_t column) {
    const std::uint8_t index = form.fieldOf[column];
    return index < count ? fields[index] : std::string_view();
  };
  // Fewer fields than the columns it must have: a line cut short (or an empty one).
  for (std::size_t column = 0; column < kUtcColumn; ++column) {
    if (form.fieldOf[column] >= count) return LineRead::Skipped;
  }
  if (count > form.fieldCount) return LineRead::Skipped;
  // Which file a line not understood is about, when its path can be read at all.
  const auto unreadable = [&] {
    if (!FieldText(field(1), form, locale, entry.inputPath)) {
      entry.inputPath = locale.ansiText != nullptr ? locale.ansiText(field(1)) : rt::Text();
    }
    return LineRead::Unreadable;
  };
  const std::optional<std::uint64_t> size = SizeOf(field(2));
  if (!size) {
    // The header, written again by a spreadsheet or after a journal was emptied, is no entry.
    rt::Text name;
    return FieldText(field(2), form, locale, name) && ColumnNamed(name) == 2 ? LineRead::Skipped : unreadable();
  }
  // Words a spreadsheet saved in the ANSI code page are compared as text.
  rt::Text words;
  const bool knownMethod =
      form.ansi ? FieldText(field(5), form, locale, words) && WordsOf(kMethods, rt::TextView(words), entry.method)
                : WordsOf(methods, field(5), entry.method);
  const bool knownResult =
      form.ansi ? FieldText(field(6), form, locale, words) && WordsOf(kResults, rt::TextView(words), entry.result)
                : WordsOf(results, field(6), entry.result);
  if (!knownMethod || !knownResult || !ReadJournalTime(field(0), locale.dayFirst)) return unreadable();
  entry.size = *size;
  if (needs.wanted != nullptr && !needs.wanted(entry.result, entry.size, field(1), needs.reader)) {
    return LineRead::Skipped;
  }
  const bool read =
      FieldText(field(0), form, locale, entry.time) && FieldText(field(1), form, locale, entry.inputPath) &&
      FieldText(field(3), form, locale, entry.modified) &&
      FieldText(field(kUtcColumn), form, locale, entry.modifiedUtc) &&
      FieldText(field(4), form, locale, entry.outputPath) && FieldText(field(7), form, locale, entry.reason);
  return read ? LineRead::Entry : unreadable();
}

std::size_t JournalLineEnd(std::string_view bytes, std::size_t from) { return FirstOf(bytes, from, '\n', '\n'); }

std::optional<JournalForm> JournalFormOf(std::string_view firstLine, const JournalLocale& locale) {
  if (firstLine.ends_with('\r')) firstLine.remove_suffix(1);
  const bool marked = firstLine.starts_with(kByteOrderMark);
  if (marked) firstLine.remove_prefix(kByteOrderMark.size());
  // Without a mark, bytes that are not UTF-8 are the ANSI code page's.
  const bool ansi = !marked && !IsUtf8(firstLine);
  for (const char separator : {';', ',', '\t'}) {
    if (auto form = FormSplitBy(firstLine, separator, ansi, marked, locale)) return form;
  }
  return std::nullopt;
}

std::vector<JournalEntry> ReadJournal(std::string_view bytes) {
  std::vector<JournalEntry> entries;
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  JournalEntry entry;
  for (std::size_t end; (end = bytes.find('\n')) != std::string_view::npos; bytes.remove_prefix(end + 1)) {
    if (ReadJournalLine(bytes.substr(0, end), entry)) entries.push_back(entry);
  }
  return entries;  // what follows the last line end is a line cut short
}

}  // namespace convert
