#include "convert/rules/journal_line.h"

#include <array>

#include "runtime/text/number_text.h"

namespace convert {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<rt::TextView, 8> kColumns = {u"Время",         u"Входной файл", u"Размер", u"Изменён",
                                                  u"Выходной файл", u"Способ",       u"Итог",   u"Причина"};
constexpr std::array<rt::TextView, 6> kResults = {u"сконвертирован",    u"ошибка",   u"остановлен",
                                                  u"не сконвертирован", u"отклонён", u"запущен"};
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

// UTF-8 to text; nothing when the bytes are not UTF-8.
bool FromUtf8(std::string_view bytes, rt::Text& text) {
  text.clear();
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                               : lead >= 0xE0                ? 3
                               : lead >= 0xC2                ? 2
                                                             : 0;
    if (length == 0 || i + length > bytes.size()) return false;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = c << 6 | (next & 0x3F);
    }
    if (c >= 0x10000) {
      text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(c));
    }
    i += length;
  }
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

// The fields of a line; false when it is not CSV (an unclosed quote).
bool SplitFields(std::string_view line, std::vector<std::string>& fields) {
  fields.assign(1, std::string());
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        fields.back().push_back(c);
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        fields.back().push_back('"');
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ';') {
      fields.emplace_back();
    } else {
      fields.back().push_back(c);
    }
  }
  return !quoted;
}

// "YYYY-MM-DD HH:MM:SS"
bool IsTime(rt::TextView text) {
  constexpr rt::TextView kForm = u"0000-00-00 00:00:00";
  if (text.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kForm[i] == u'0' ? text[i] < u'0' || text[i] > u'9' : text[i] != kForm[i]) return false;
  }
  return true;
}

template <typename Enum, std::size_t N>
bool WordsOf(const std::array<rt::TextView, N>& words, rt::TextView text, Enum& value) {
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

std::vector<JournalEntry> ReadJournal(std::string_view bytes) {
  std::vector<JournalEntry> entries;
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  std::vector<std::string> fields;
  std::vector<rt::Text> texts(kColumns.size());
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) break;  // the last line, cut short
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!SplitFields(line, fields) || fields.size() != kColumns.size()) continue;
    bool read = true;
    for (std::size_t i = 0; i < fields.size() && read; ++i) read = FromUtf8(fields[i], texts[i]);
    JournalEntry entry;
    if (!read || !IsTime(texts[0]) || !WordsOf(kMethods, texts[5], entry.method) ||
        !WordsOf(kResults, texts[6], entry.result) || texts[2].empty() ||
        texts[2].find_first_not_of(u"0123456789") != rt::Text::npos) {
      continue;
    }
    entry.time = texts[0];
    entry.inputPath = texts[1];
    for (const char16_t digit : texts[2]) entry.size = entry.size * 10 + static_cast<std::uint64_t>(digit - u'0');
    entry.modified = texts[3];
    entry.outputPath = texts[4];
    entry.reason = texts[7];
    entries.push_back(std::move(entry));
  }
  return entries;
}

rt::Text JournalTime(int year, int month, int day, int hour, int minute, int second) {
  return rt::Concat({rt::FORMAT(year, u"N04"), u"-", TwoDigits(month), u"-", TwoDigits(day), u" ", TwoDigits(hour),
                     u":", TwoDigits(minute), u":", TwoDigits(second)});
}

}  // namespace convert
