#include "convert/journal/rules/journal_line.h"

#include <array>

#include "runtime/text/number_text.h"

namespace convert {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<rt::TextView, 8> kColumns = {u"Время",         u"Входной файл", u"Размер", u"Изменён",
                                                  u"Выходной файл", u"Способ",       u"Итог",   u"Причина"};
constexpr std::array<rt::TextView, 8> kResults = {u"сконвертирован",
                                                  u"ошибка",
                                                  u"остановлен",
                                                  u"не сконвертирован",
                                                  u"отклонён",
                                                  u"запущен",
                                                  u"не соответствует формату",
                                                  u"не соответствует схеме"};
constexpr std::array<rt::TextView, 2> kMethods = {u"msxsl.exe", u"встроенный"};

void AppendUtf8(std::string& out, rt::TextView text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // half a pair
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | c >> 6));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | c >> 12));
      out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | c >> 18));
      out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

// UTF-8 to text, into the text's own room; false when the bytes are not UTF-8.
bool FromUtf8(std::string_view bytes, rt::Text& text) {
  text.resize(bytes.size());  // never more units than bytes
  std::size_t out = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      text[out++] = lead;
      ++i;
      continue;
    }
    const std::size_t length = lead >= 0xF0 && lead < 0xF5   ? 4
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                                                             : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    char32_t c = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = c << 6 | (next & 0x3F);
    }
    if (c >= 0x10000) {
      text[out++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text[out++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text[out++] = static_cast<char16_t>(c);
    }
    i += length;
  }
  text.resize(out);
  return true;
}

// A field as CSV writes it: in quotes, with its quotes doubled, when it holds ";", a quote or a
// line break; a line break in a field is written as a blank, so that every line is one entry.
void AppendField(std::string& line, rt::TextView field) {
  rt::Text text(field);
  for (char16_t& c : text) c = c == u'\r' || c == u'\n' ? u' ' : c;
  if (!line.empty()) line.push_back(';');
  if (text.find_first_of(u";\"") == rt::Text::npos) return AppendUtf8(line, text);
  line.push_back('"');
  for (const char16_t c : text) {
    if (c == u'"') line.push_back('"');
    AppendUtf8(line, rt::TextView(&c, 1));
  }
  line.push_back('"');
}

// The fields of a line, each the line's own bytes or, when it holds a quote, its unquoted copy in
// `unquoted`; false when the line is not CSV (an unclosed quote) or has another number of fields.
bool SplitFields(std::string_view line, std::array<std::string_view, kColumns.size()>& fields,
                 std::array<std::string, kColumns.size()>& unquoted) {
  for (std::size_t count = 0, start = 0;; ++count) {
    if (count == fields.size()) return false;
    std::size_t end = start;
    while (end < line.size() && line[end] != ';' && line[end] != '"') ++end;
    if (end < line.size() && line[end] == '"') {
      std::string& copy = unquoted[count];
      copy.assign(line.substr(start, end - start));
      bool quoted = false;
      for (; end < line.size() && (quoted || line[end] != ';'); ++end) {
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
    if (end == line.size()) return count + 1 == fields.size();
    start = end + 1;
  }
}

// "YYYY-MM-DD HH:MM:SS"
bool IsTime(std::string_view text) {
  constexpr std::string_view kForm = "0000-00-00 00:00:00";
  if (text.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kForm[i] == '0' ? text[i] < '0' || text[i] > '9' : text[i] != kForm[i]) return false;
  }
  return true;
}

// The words as the journal's bytes hold them.
template <std::size_t N>
std::array<std::string, N> InUtf8(const std::array<rt::TextView, N>& words) {
  std::array<std::string, N> bytes;
  for (std::size_t i = 0; i < N; ++i) AppendUtf8(bytes[i], words[i]);
  return bytes;
}

template <typename Enum, std::size_t N>
bool WordsOf(const std::array<std::string, N>& words, std::string_view text, Enum& value) {
  for (std::size_t i = 0; i < N; ++i) {
    if (words[i] == text) {
      value = static_cast<Enum>(i);
      return true;
    }
  }
  return false;
}

rt::Text TwoDigits(int value) { return rt::FORMAT(value, u"N02"); }

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
        rt::TextView(entry.reason)}) {
    AppendField(line, field);
  }
  return line + "\r\n";
}

bool ReadJournalLine(std::string_view line, JournalEntry& entry) {
  static const std::array<std::string, kMethods.size()> methods = InUtf8(kMethods);
  static const std::array<std::string, kResults.size()> results = InUtf8(kResults);
  std::array<std::string_view, kColumns.size()> fields;
  std::array<std::string, kColumns.size()> unquoted;  // empty unless a field is quoted
  if (line.ends_with('\r')) line.remove_suffix(1);
  if (!SplitFields(line, fields, unquoted) || !IsTime(fields[0]) || !WordsOf(methods, fields[5], entry.method) ||
      !WordsOf(results, fields[6], entry.result) || fields[2].empty() ||
      fields[2].find_first_not_of("0123456789") != std::string_view::npos) {
    return false;
  }
  entry.size = 0;
  for (const char digit : fields[2]) entry.size = entry.size * 10 + static_cast<std::uint64_t>(digit - '0');
  return FromUtf8(fields[0], entry.time) && FromUtf8(fields[1], entry.inputPath) &&
         FromUtf8(fields[3], entry.modified) && FromUtf8(fields[4], entry.outputPath) &&
         FromUtf8(fields[7], entry.reason);
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

rt::Text JournalTime(int year, int month, int day, int hour, int minute, int second) {
  return rt::Concat({rt::FORMAT(year, u"N04"), u"-", TwoDigits(month), u"-", TwoDigits(day), u" ", TwoDigits(hour),
                     u":", TwoDigits(minute), u":", TwoDigits(second)});
}

}  // namespace convert
