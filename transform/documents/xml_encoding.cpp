#include "transform/documents/xml_encoding.h"

#include <string_view>

#include "transform/documents/xml_units.h"

namespace rt {
namespace {

using namespace std::string_view_literals;

// The declaration stands at the start; a head this long holds any that is written by hand.
constexpr std::size_t kHead = 4096;

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

Text Lower(TextView name) {
  Text lower(name);
  for (char16_t& c : lower) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  return lower;
}

// "<prefix><number>" with the number from `low` to `high`, written without leading zeros.
bool Numbered(TextView lower, TextView prefix, int low, int high) {
  if (!lower.starts_with(prefix)) return false;
  const TextView digits = lower.substr(prefix.size());
  if (digits.empty() || digits.size() > 4 || digits[0] == u'0') return false;
  int number = 0;
  for (const char16_t c : digits) {
    if (c < u'0' || c > u'9') return false;
    number = number * 10 + (c - u'0');
  }
  return number >= low && number <= high;
}

// Code pages of one byte a character that keep ASCII as it is.
bool IsSingleByteName(TextView lower) {
  constexpr TextView kNames[] = {u"us-ascii", u"ascii", u"koi8-r", u"koi8-u", u"ibm866", u"cp866", u"windows-874"};
  for (const TextView name : kNames) {
    if (lower == name) return true;
  }
  return Numbered(lower, u"windows-", 1250, 1258) || Numbered(lower, u"cp", 1250, 1258) ||
         (Numbered(lower, u"iso-8859-", 1, 16) && lower != u"iso-8859-12");
}

// A text declaration (`text`) has no standalone, may leave out the version and must give the
// encoding.
XmlDeclaration ReadDeclaration(TextView units, bool text) {
  XmlDeclaration declaration;
  std::size_t at = units.starts_with(u"\xFEFF") ? 1 : units.starts_with(u"\xEF\xBB\xBF") ? 3 : 0;
  const TextView rest = units.substr(at);
  // "<?xml-stylesheet" and the like are instructions, not the declaration.
  if (!rest.starts_with(u"<?xml") || (rest.size() > 5 && !IsSpace(rest[5]) && rest[5] != u'?')) return declaration;
  declaration.present = true;
  at += 5;
  // version, then encoding, then standalone, each at most once.
  constexpr TextView kNames[] = {u"version", u"encoding", u"standalone"};
  std::size_t next = 0;
  const auto skipSpace = [&] {
    while (at < units.size() && IsSpace(units[at])) ++at;
  };
  for (;;) {
    const std::size_t spaced = at;
    skipSpace();
    if (units.substr(at).starts_with(u"?>")) {
      declaration.end = at + 2;
      declaration.malformed = declaration.malformed || next == 0 || (text && next != 2);
      return declaration;
    }
    std::size_t nameEnd = at;
    while (nameEnd < units.size() && IsLetter(units[nameEnd])) ++nameEnd;
    const TextView name = units.substr(at, nameEnd - at);
    std::size_t known = 0;
    while (known < std::size(kNames) && name != kNames[known]) ++known;
    const bool first = text ? known <= 1 : known == 0;
    declaration.malformed = declaration.malformed || known == std::size(kNames) || known < next ||
                            (next == 0 && !first) || (text && known == 2) || at == spaced;
    next = known + 1;
    at = nameEnd;
    skipSpace();
    if (at >= units.size() || units[at] != u'=') break;
    ++at;
    skipSpace();
    const std::size_t close =
        at < units.size() && (units[at] == u'"' || units[at] == u'\'') ? units.find(units[at], at + 1) : TextView::npos;
    if (close == TextView::npos) break;
    const TextView value = units.substr(at + 1, close - at - 1);
    if (name == u"version") declaration.version = Text(value);
    if (name == u"encoding") declaration.encoding = Text(value);
    at = close + 1;
  }
  declaration.malformed = true;
  return declaration;
}

}  // namespace

XmlDeclaration ReadXmlDeclaration(TextView units) { return ReadDeclaration(units, false); }

XmlDeclaration ReadTextDeclaration(TextView units) { return ReadDeclaration(units, true); }

bool IsUtf8Name(TextView name) {
  const Text lower = Lower(name);
  return lower == u"utf-8" || lower == u"utf8";
}

DocumentEncoding EncodingOf(std::string_view bytes) {
  // Four bytes a character (with a byte order mark, or by where the zeros of "<" fall), and
  // EBCDIC's "<?xm": never UTF-16 or ASCII to the program.
  for (const std::string_view pattern :
       {"\0\0\xFE\xFF"sv, "\xFF\xFE\0\0"sv, "<\0\0\0"sv, "\0\0\0<"sv, "\0<\0\0"sv, "\0\0<\0"sv}) {
    if (bytes.starts_with(pattern)) return {u"UTF-32", false};
  }
  if (bytes.starts_with("\x4C\x6F\xA7\x94"sv)) return {u"EBCDIC", false};
  const XmlUnits units = UnitsOf(bytes.substr(0, kHead));
  const Text declared = ReadXmlDeclaration(units.text).encoding;
  const Text lower = Lower(declared);
  if (units.form != UnitForm::kBytes) {
    // Without a byte order mark the library reads UTF-16 only from "<?" and a declaration that says so.
    const bool marked = units.text.starts_with(u"\xFEFF");
    const bool named = lower == u"utf-16" || lower == (units.form == UnitForm::kUtf16Le ? u"utf-16le" : u"utf-16be");
    return {declared.empty() ? Text(u"UTF-16") : declared, declared.empty() ? marked : named};
  }
  if (declared.empty()) return {u"UTF-8", true};
  const bool marked = bytes.starts_with("\xEF\xBB\xBF"sv);
  return {declared, IsUtf8Name(lower) || (!marked && IsSingleByteName(lower))};
}

}  // namespace rt
