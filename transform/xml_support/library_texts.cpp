#include "transform/xml_support/library_texts.h"

#include <libxml/xmlerror.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace rt {
namespace {

// A name or a value longer than this many characters is cut in the Russian: the English in
// brackets keeps it whole, once is enough for a very long one.
constexpr std::size_t kShownCharacters = 120;

// Advice meant for a programmer: `from`, and on through the first `through` after it if given.
struct Advice {
  std::string_view from, through;
};
constexpr Advice kAdvice[] = {
    {" use XML_PARSE_HUGE option", ""},
    {", use XML_PARSE_HUGE", ""},
    {", indicate encoding !", ""},
    {"You can adjust xsltMaxDepth ", ")."},
    {"You can adjust maxTemplateVars ", ")."},
    {" Please substitute entities before validation.", ""},
    {" use the xpointer attribute", ""},
};

// A library message's English with holes: %s any text, %n a name, %l names separated by ", ",
// %e values in quotes separated by ", ". The Russian takes the holes as %1…%9 and the element a
// schema message is about as %E; a list hole brings its own «».
struct Kind {
  int domain, code;
  std::string_view english, russian;
  int lastCode = 0;  // the kind takes every code from `code` through this one
};
constexpr int kAnyDomain = -1;
constexpr std::string_view kWrongEncoding = "Кодировка файла не та, что объявлена в нём (или не объявлена)";

// Schema messages are matched after their "Element '…': ", the others whole; the first kind that
// fits is said.
constexpr Kind kKinds[] = {
    {XML_FROM_SCHEMASV, XML_SCHEMAV_ELEMENT_CONTENT, "This element is not expected. Expected is ( %l )",
     "Элемент «%E» здесь не ожидается, ожидается %1"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_ELEMENT_CONTENT, "This element is not expected. Expected is one of ( %l )",
     "Элемент «%E» здесь не ожидается, ожидается один из: %1"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_ELEMENT_CONTENT, "This element is not expected", "Лишний элемент «%E»"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_ELEMENT_CONTENT, "Missing child element(s). Expected is ( %l )",
     "В элементе «%E» не хватает элемента %1"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_ELEMENT_CONTENT, "Missing child element(s). Expected is one of ( %l )",
     "В элементе «%E» не хватает одного из элементов: %1"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_ELEMENT_CONTENT, "Missing child element(s)",
     "В элементе «%E» не хватает вложенных элементов"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_PATTERN_VALID,
     "[facet 'pattern'] The value '%s' is not accepted by the pattern '%s'",
     "Значение «%1» не соответствует шаблону «%2»"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_ENUMERATION_VALID,
     "[facet 'enumeration'] The value '%s' is not an element of the set {%e}",
     "Значение «%1» не из списка допустимых: %2"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_LENGTH_VALID,
     "[facet 'length'] The value '%s' has a length of '%s'; this differs from the allowed length of '%s'",
     "Значение «%1» не той длины: %2 вместо %3"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_LENGTH_VALID,
     "[facet 'length'] The value has a length of '%s'; this differs from the allowed length of '%s'",
     "Значение элемента «%E» не той длины: %1 вместо %2"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_MINLENGTH_VALID,
     "[facet 'minLength'] The value '%s' has a length of '%s'; this underruns the allowed minimum length of '%s'",
     "Значение «%1» короче допустимого: длина %2, нужно не меньше %3"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_MINLENGTH_VALID,
     "[facet 'minLength'] The value has a length of '%s'; this underruns the allowed minimum length of '%s'",
     "Значение элемента «%E» короче допустимого: длина %1, нужно не меньше %2"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_MAXLENGTH_VALID,
     "[facet 'maxLength'] The value '%s' has a length of '%s'; this exceeds the allowed maximum length of '%s'",
     "Значение «%1» длиннее допустимого: длина %2, можно не больше %3"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_MAXLENGTH_VALID,
     "[facet 'maxLength'] The value has a length of '%s'; this exceeds the allowed maximum length of '%s'",
     "Значение элемента «%E» длиннее допустимого: длина %1, можно не больше %2"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_MININCLUSIVE_VALID,
     "[facet 'minInclusive'] The value '%s' is less than the minimum value allowed ('%s')",
     "Значение «%1» меньше наименьшего допустимого «%2»"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_MAXINCLUSIVE_VALID,
     "[facet 'maxInclusive'] The value '%s' is greater than the maximum value allowed ('%s')",
     "Значение «%1» больше наибольшего допустимого «%2»"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_MINEXCLUSIVE_VALID,
     "[facet 'minExclusive'] The value '%s' must be greater than '%s'", "Значение «%1» должно быть больше «%2»"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_MAXEXCLUSIVE_VALID,
     "[facet 'maxExclusive'] The value '%s' must be less than '%s'", "Значение «%1» должно быть меньше «%2»"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_TOTALDIGITS_VALID,
     "[facet 'totalDigits'] The value '%s' has more digits than are allowed ('%s')",
     "В значении «%1» слишком много цифр: можно не больше %2"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_FRACTIONDIGITS_VALID,
     "[facet 'fractionDigits'] The value '%s' has more fractional digits than are allowed ('%s')",
     "В значении «%1» слишком много цифр после запятой: можно не больше %2"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_DATATYPE_VALID_1_2_1, "'%s' is not a valid value of the %s type '%n'",
     "Значение «%1» не подходит по типу «%3»", XML_SCHEMAV_CVC_DATATYPE_VALID_1_2_3},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_DATATYPE_VALID_1_2_1, "'%s' is not a valid value of the local %s type",
     "Значение «%1» не подходит по типу, заданному в схеме", XML_SCHEMAV_CVC_DATATYPE_VALID_1_2_3},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_COMPLEX_TYPE_4, "The attribute '%n' is required but missing",
     "В элементе «%E» нет обязательного атрибута «%1»"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_COMPLEX_TYPE_3_2_1, "The attribute '%n' is not allowed",
     "В элементе «%E» не может быть атрибута «%1»", XML_SCHEMAV_CVC_COMPLEX_TYPE_3_2_2},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_COMPLEX_TYPE_2_3,
     "Character content other than whitespace is not allowed because the content type is 'element-only'",
     "В элементе «%E» не может быть текста, только вложенные элементы"},
    {XML_FROM_SCHEMASV, XML_SCHEMAV_CVC_ELT_1, "No matching global declaration available for the validation root",
     "Корневой элемент «%E» не описан в схеме: файл не того вида"},

    {XML_FROM_PARSER, XML_ERR_TAG_NAME_MISMATCH, "Opening and ending tag mismatch: %n line %s and %n",
     "Файл не является правильным XML: элемент «%1» из строки %2 закрыт тегом «%3»"},
    {XML_FROM_PARSER, XML_ERR_TAG_NOT_FINISHED, "Premature end of data in tag %n line %s",
     "Файл обрывается: не закрыт элемент «%1» из строки %2"},
    {XML_FROM_PARSER, XML_ERR_DOCUMENT_EMPTY, "Document is empty", "Файл пуст или обрывается в самом начале"},
    {XML_FROM_PARSER, XML_ERR_LTSLASH_REQUIRED, "%s", "Файл обрывается: не найден закрывающий тег"},
    {XML_FROM_PARSER, XML_ERR_INVALID_CHAR, "Input is not proper UTF-8%s", kWrongEncoding},
    {XML_FROM_PARSER, XML_ERR_INTERNAL_ERROR, "switching encoding: encoder error", kWrongEncoding},
    {XML_FROM_I18N, XML_I18N_CONV_FAILED, "input conversion failed due to input error, bytes %s", kWrongEncoding},
    {XML_FROM_PARSER, XML_ERR_UNSUPPORTED_ENCODING, "Unsupported encoding %s",
     "Файл объявляет кодировку «%1», а она не поддерживается"},
    {XML_FROM_PARSER, XML_ERR_UNSUPPORTED_ENCODING, "encoding not supported %s",
     "Файл объявляет кодировку «%1», а она не поддерживается"},
    {XML_FROM_PARSER, XML_ERR_UNDECLARED_ENTITY, "Entity '%s' not defined",
     "В файле ссылка на необъявленную сущность «&%1;»", XML_WAR_UNDECLARED_ENTITY},
    {XML_FROM_PARSER, XML_ERR_NO_MEMORY, "xmlSAX2Characters: huge text node",
     "Текст в одном элементе файла длиннее, чем допускается"},
    {XML_FROM_PARSER, XML_ERR_ENTITY_LOOP, "%s", "Сущности в файле ссылаются сами на себя или разрастаются сверх меры"},
    {XML_FROM_PARSER, XML_ERR_INTERNAL_ERROR, "Excessive depth in document: %s",
     "Элементы в файле вложены слишком глубоко: предел — %1"},
    {kAnyDomain, XML_ERR_NO_MEMORY, "%s", "Не хватило памяти"},

    {0, 0, "Variable '%n' has not been declared", "Не объявлена переменная «$%1»"},
    {XML_FROM_XPATH, XML_XPATH_UNDEF_VARIABLE_ERROR, "%s", "Не объявлена переменная"},
    {0, 0, "xmlXPathCompOpEval: function %n not found", "Неизвестная функция «%1»"},
    {XML_FROM_XPATH, XML_XPATH_UNKNOWN_FUNC_ERROR, "%s", "Неизвестная функция"},
};

// The parser's warnings: the file is still well-formed.
constexpr int kParserWarnings[] = {XML_WAR_CATALOG_PI, XML_WAR_UNKNOWN_VERSION,  XML_WAR_LANG_VALUE,
                                   XML_WAR_NS_URI,     XML_WAR_NS_URI_RELATIVE,  XML_WAR_SPACE_VALUE,
                                   XML_WAR_NS_COLUMN,  XML_WAR_ENTITY_REDEFINED, XML_ERR_ENTITY_PROCESSING};

struct Hole {
  char kind;
  std::string_view text;
};
using Holes = std::vector<Hole>;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimmedEnd(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Without(std::string_view text, const Advice& advice) {
  std::string kept;
  std::size_t at = 0;
  for (std::size_t from = text.find(advice.from); from != std::string_view::npos; from = text.find(advice.from, at)) {
    std::size_t end = from + advice.from.size();
    if (!advice.through.empty()) {
      end = text.find(advice.through, end);
      if (end == std::string_view::npos) break;
      end += advice.through.size();
    }
    kept.append(text.substr(at, from - at));
    at = end;
  }
  return kept.append(text.substr(at));
}

// Each line break, with the blanks about it, becomes "; " (or a blank after a punctuation mark):
// the text stays on one line of the journal.
std::string OnOneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') {
      line += text[i];
      continue;
    }
    while (!line.empty() && IsBlank(line.back())) line.pop_back();
    while (i + 1 < text.size() && IsBlank(text[i + 1])) ++i;
    if (!line.empty()) line += std::string_view(".:;,!?").find(line.back()) == std::string_view::npos ? "; " : " ";
  }
  return line;
}

std::string CleanEnglish(std::string_view message) {
  std::string text(message);
  for (const Advice& advice : kAdvice) text = Without(text, advice);
  std::string_view kept = TrimmedEnd(text);
  if (kept.ends_with('.')) kept = TrimmedEnd(kept.substr(0, kept.size() - 1));
  return OnOneLine(kept);
}

// Whether `text` is `pattern` with its holes filled; what fills them, in `holes`. A hole ends
// where the text after it first comes, the last one where the pattern's end does.
bool Fills(std::string_view pattern, std::string_view text, Holes& holes) {
  holes.clear();
  std::size_t hole = pattern.find('%');
  if (!text.starts_with(pattern.substr(0, hole))) return false;
  if (hole == std::string_view::npos) return text.size() == pattern.size();
  text.remove_prefix(hole);
  while (hole + 1 < pattern.size()) {
    const char kind = pattern[hole + 1];
    const std::size_t next = pattern.find('%', hole + 2);
    const std::string_view literal = pattern.substr(hole + 2, next - (hole + 2));
    const std::size_t end = next == std::string_view::npos
                                ? (text.ends_with(literal) ? text.size() - literal.size() : text.npos)
                                : text.find(literal);
    if (end == std::string_view::npos) return false;
    holes.push_back({kind, text.substr(0, end)});
    text.remove_prefix(end + literal.size());
    if (next == std::string_view::npos) return true;
    hole = next;
  }
  return false;
}

// At most kShownCharacters characters, cut between characters.
std::string Shown(std::string_view text) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++characters > kShownCharacters) {
      return std::string(text.substr(0, i)) + "…";
    }
  }
  return std::string(text);
}

// "{namespace}name" as the clerk knows it: the name; wildcards stay as they are.
std::string_view LocalName(std::string_view name) {
  const std::size_t close = name.starts_with('{') ? name.find('}') : std::string_view::npos;
  if (close == std::string_view::npos || close + 1 == name.size() || name.substr(close + 1) == "*") return name;
  return name.substr(close + 1);
}

// Each item of a list in its own «».
std::string QuotedItems(std::string_view items, std::string_view separator, bool names) {
  std::string quoted;
  while (true) {
    const std::size_t end = items.find(separator);
    const std::string_view item = items.substr(0, end);
    quoted += (quoted.empty() ? "«" : ", «") + Shown(names ? LocalName(item) : item) + "»";
    if (end == std::string_view::npos) return quoted;
    items.remove_prefix(end + separator.size());
  }
}

std::string HoleText(const Hole& hole) {
  const std::string_view text = hole.text;
  switch (hole.kind) {
    case 'n':
      return Shown(LocalName(text));
    case 'l':
      return QuotedItems(text, ", ", true);
    case 'e':
      if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
        return QuotedItems(text.substr(1, text.size() - 2), "', '", false);
      }
      return "«" + Shown(text) + "»";
    default:
      return Shown(text);
  }
}

std::string Russian(std::string_view pattern, const Holes& holes, std::string_view element) {
  std::string russian;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 == pattern.size()) {
      russian += pattern[i];
    } else if (pattern[++i] == 'E') {
      russian += Shown(LocalName(element));
    } else if (const std::size_t index = static_cast<std::size_t>(pattern[i] - '1'); index < holes.size()) {
      russian += HoleText(holes[index]);
    }
  }
  return russian;
}

std::string WithEnglish(std::string_view russian, const std::string& english) {
  return english.empty() ? std::string(russian) : std::string(russian) + " (" + english + ")";
}

}  // namespace

std::string ClerkText(int domain, int code, std::string_view message) {
  const std::string english = CleanEnglish(message);
  std::string_view matched = english, element;
  Holes holes;
  if (domain == XML_FROM_SCHEMASV &&
      (Fills("Element '%n', attribute '%n': %s", english, holes) || Fills("Element '%n': %s", english, holes))) {
    element = holes.front().text;
    matched = holes.back().text;
  }
  for (const Kind& kind : kKinds) {
    if ((kind.domain == domain || kind.domain == kAnyDomain) && code >= kind.code &&
        code <= std::max(kind.code, kind.lastCode) && Fills(kind.english, matched, holes)) {
      return WithEnglish(Russian(kind.russian, holes, element), english);
    }
  }
  if (domain == XML_FROM_PARSER && std::ranges::find(kParserWarnings, code) == std::end(kParserWarnings)) {
    return WithEnglish("Файл не является правильным XML", english);
  }
  return english;
}

std::string StylesheetStopText(std::string_view stylesheetText) {
  const std::string_view text = TrimmedEnd(stylesheetText);
  constexpr std::string_view kStopped = "Таблица стилей остановила конвертацию";
  return text.empty() ? std::string(kStopped) : std::string(kStopped) + ": " + std::string(text);
}

}  // namespace rt
