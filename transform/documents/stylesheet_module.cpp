#include "transform/documents/stylesheet_module.h"

#include <algorithm>
#include <utility>

#include "transform/documents/xml_encoding.h"

namespace rt {
namespace {

constexpr TextView kXsltNamespace = u"http://www.w3.org/1999/XSL/Transform";
constexpr TextView kXmlNamespace = u"http://www.w3.org/XML/1998/namespace";

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsNameStart(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c >= 0x80;
}
bool IsNameChar(char16_t c) { return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.'; }
bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// The character a reference at the start of `text` ("&name;", "&#N;", "&#xN;") stands for, and
// its length; a length of 0 for an entity that is not predefined or a reference that is wrong.
struct Reference {
  char32_t c = 0;
  std::size_t length = 0;
};

Reference ReferenceAt(TextView text) {
  const std::size_t semicolon = text.find(u';');
  if (semicolon == TextView::npos) return {};
  const TextView name = text.substr(1, semicolon - 1);
  constexpr std::pair<TextView, char16_t> kPredefined[] = {
      {u"lt", u'<'}, {u"gt", u'>'}, {u"amp", u'&'}, {u"apos", u'\''}, {u"quot", u'"'}};
  for (const auto& [entity, c] : kPredefined) {
    if (name == entity) return {c, semicolon + 1};
  }
  if (!name.starts_with(u'#')) return {};
  const bool hex = name.starts_with(u"#x");
  const TextView digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return {};
  char32_t c = 0;
  for (const char16_t digit : digits) {
    const int value = digit >= u'0' && digit <= u'9'          ? digit - u'0'
                      : hex && digit >= u'a' && digit <= u'f' ? digit - u'a' + 10
                      : hex && digit >= u'A' && digit <= u'F' ? digit - u'A' + 10
                                                              : -1;
    if (value < 0 || c > 0x10FFFF) return {};
    c = c * (hex ? 16 : 10) + static_cast<char32_t>(value);
  }
  return IsXmlChar(c) ? Reference{c, semicolon + 1} : Reference{};
}

void AppendUtf16(Text& text, char32_t c) {
  if (c >= 0x10000) {
    text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
    c = 0xDC00 + ((c - 0x10000) & 0x3FF);
  }
  text.push_back(static_cast<char16_t>(c));
}

// Reads the module as a namespace-aware parser does, or says where it cannot.
class Reader {
 public:
  explicit Reader(TextView text) : text_(text) {}

  ModuleScan Read() {
    // A control character XML does not allow anywhere; some parsers take a NUL for the end.
    const auto control = std::find_if(text_.begin(), text_.end(), [](char16_t c) { return c < 0x20 && !IsSpace(c); });
    if (control != text_.end()) {
      Fail(static_cast<std::size_t>(control - text_.begin()));
      return std::move(scan_);
    }
    Prolog();
    while (at_ < text_.size()) {
      if (text_[at_] == u'<') {
        Markup();
        continue;
      }
      if (!IsSpace(text_[at_])) Filled();
      if (text_[at_] != u'&') {
        ++at_;
      } else if (const Reference reference = ReferenceAt(text_.substr(at_)); reference.length > 0) {
        at_ += reference.length;
      } else {
        Fail();
      }
    }
    if (!open_.empty()) Fail();
    scan_.refused = CheckModuleView(scan_.view).refused;
    return std::move(scan_);
  }

 private:
  struct Attribute {
    TextView name;
    std::size_t begin = 0, end = 0;  // the value between its quotes
    Text value;                      // as the parser hands it on, with stand-ins
    Text href;                       // the same with the text's own units
  };
  using Scope = std::vector<std::pair<TextView, Text>>;  // prefix and namespace, as declared

  // The open element holds more than white space.
  void Filled() {
    if (!inView_.empty()) scan_.view[inView_.back()].empty = false;
  }

  void Fail(std::size_t where) {
    if (!scan_.unreadable) scan_.unreadableAt = where;
    scan_.unreadable = true;
    at_ = text_.size();
  }
  void Fail() { Fail(at_); }
  bool At(char16_t c) const { return at_ < text_.size() && text_[at_] == c; }
  bool SkipSpace() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    return at_ > start;
  }
  void SkipPast(std::size_t from, TextView end) {
    const std::size_t found = text_.find(end, from);
    if (found == TextView::npos) return Fail();
    at_ = found + end.size();
  }
  TextView Name() {
    const std::size_t start = at_;
    if (At(u':') || !(at_ < text_.size() && IsNameStart(text_[at_]))) return {};
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }

  // A unit of the text into a value of the view: one stand-in for each character beyond
  // ASCII, which in UTF-8 is its first byte and in UTF-16 its first unit.
  void AppendCharacter(Text& value, char16_t unit) const {
    const bool follows = utf8_ ? (unit & 0xC0) == 0x80 : unit >= 0xDC00 && unit < 0xE000;
    if (unit < 0x80) {
      value.push_back(unit);
    } else if (!follows) {
      value.push_back(kNonAsciiStandIn);
    }
  }
  Text Viewed(TextView units) const {
    Text value;
    for (const char16_t unit : units) AppendCharacter(value, unit);
    return value;
  }

  // A byte order mark, then the XML declaration, which says how the text's bytes are characters.
  void Prolog() {
    const XmlDeclaration declaration = ReadXmlDeclaration(text_);
    utf8_ = !text_.starts_with(u"\xFEFF") && (declaration.encoding.empty() || IsUtf8Name(declaration.encoding));
    at_ = text_.starts_with(u"\xFEFF") ? 1 : text_.starts_with(u"\xEF\xBB\xBF") ? 3 : 0;
    // XML 1.1 reads line ends and references otherwise.
    if (declaration.present && (declaration.malformed || declaration.version != u"1.0")) return Fail();
    if (declaration.present) at_ = declaration.end;
  }

  void Markup() {
    const TextView rest = text_.substr(at_);
    if (rest.starts_with(u"<!--")) {
      // "--" ends it, and only before ">": "<!-->" opens a comment whose text begins with ">".
      const std::size_t dashes = text_.find(u"--", at_ + 4);
      if (dashes == TextView::npos || dashes + 2 >= text_.size() || text_[dashes + 2] != u'>') return Fail();
      at_ = dashes + 3;
    } else if (rest.starts_with(u"<![CDATA[")) {
      const std::size_t start = at_ + 9;
      SkipPast(start, u"]]>");
      const TextView data = text_.substr(start, at_ > start + 3 ? at_ - 3 - start : 0);
      if (std::any_of(data.begin(), data.end(), [](char16_t c) { return !IsSpace(c); })) Filled();
    } else if (rest.starts_with(u"<?")) {
      Instruction();
    } else if (rest.starts_with(u"</")) {
      EndTag();
    } else if (rest.starts_with(u"<!")) {
      Fail();  // a DOCTYPE left in, or a declaration out of place
    } else {
      StartTag();
    }
  }

  // Its target, then its text up to "?>"; "xml" in any case is the declaration's alone.
  void Instruction() {
    at_ += 2;
    const TextView target = Name();
    Text lower(target);
    for (char16_t& c : lower) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    if (target.empty() || lower == u"xml" || !(At(u'?') || (at_ < text_.size() && IsSpace(text_[at_])))) {
      return Fail();
    }
    SkipPast(at_, u"?>");
  }

  void EndTag() {
    at_ += 2;
    const TextView name = Name();
    SkipSpace();
    if (open_.empty() || name != open_.back() || !At(u'>')) return Fail();
    ++at_;
    open_.pop_back();
    inView_.pop_back();
    scopes_.pop_back();
  }

  // The value between the quotes at at_, as a parser normalises it.
  bool Value(Attribute& attribute) {
    const char16_t quote = text_[at_];
    attribute.begin = ++at_;
    while (at_ < text_.size() && text_[at_] != quote) {
      const char16_t c = text_[at_];
      if (c == u'<') return false;
      if (c == u'&') {
        const Reference reference = ReferenceAt(text_.substr(at_));
        if (reference.length == 0) return false;
        AppendUtf16(attribute.href, reference.c);
        attribute.value.push_back(reference.c < 0x80 ? static_cast<char16_t>(reference.c) : kNonAsciiStandIn);
        at_ += reference.length;
        continue;
      }
      ++at_;
      if (c == u'\r' && At(u'\n')) continue;  // a line end is one blank
      attribute.href.push_back(IsSpace(c) ? u' ' : c);
      AppendCharacter(attribute.value, IsSpace(c) ? u' ' : c);
    }
    if (at_ >= text_.size()) return false;
    attribute.end = at_++;
    return true;
  }

  // Prefix and local name, with at most one colon between them.
  static std::pair<TextView, TextView> Split(TextView name) {
    const std::size_t colon = name.find(u':');
    if (colon == TextView::npos) return {TextView(), name};
    return {name.substr(0, colon), name.substr(colon + 1)};
  }
  static bool WellSplit(TextView name) {
    const std::size_t colon = name.find(u':');
    return colon == TextView::npos || (colon > 0 && colon + 1 < name.size() && IsNameStart(name[colon + 1]) &&
                                       name.find(u':', colon + 1) == TextView::npos);
  }

  // The namespace a prefix stands for here; the default one for an empty prefix.
  std::optional<Text> NamespaceOf(TextView prefix) const {
    if (prefix == u"xml") return Text(kXmlNamespace);
    for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
      for (const auto& [declared, space] : *scope) {
        if (declared == prefix) return space;
      }
    }
    if (prefix.empty()) return Text();
    return std::nullopt;
  }

  void StartTag() {
    const std::size_t start = at_++;
    const TextView name = Name();
    std::vector<Attribute> attributes;
    Scope scope;
    bool empty = false;
    if (name.empty() || !WellSplit(name)) return Fail();
    for (;;) {
      const bool spaced = SkipSpace();
      if (At(u'>') || text_.substr(at_).starts_with(u"/>")) {
        empty = At(u'/');
        at_ += empty ? 2 : 1;
        break;
      }
      Attribute attribute;
      attribute.name = Name();
      SkipSpace();
      if (!spaced || attribute.name.empty() || !WellSplit(attribute.name) || !At(u'=')) return Fail();
      ++at_;
      SkipSpace();
      if ((!At(u'"') && !At(u'\'')) || !Value(attribute)) return Fail();
      const auto [prefix, local] = Split(attribute.name);
      if (attribute.name == u"xmlns") {
        scope.emplace_back(TextView(), attribute.value);
      } else if (prefix == u"xmlns") {
        // A prefix is bound to a namespace, never undeclared; "xml" only to its own.
        if (attribute.value.empty() || local == u"xmlns" || (local == u"xml") != (attribute.value == kXmlNamespace)) {
          return Fail();
        }
        scope.emplace_back(local, attribute.value);
      } else {
        attributes.push_back(std::move(attribute));
      }
    }
    scopes_.push_back(std::move(scope));
    Filled();
    Element(name, attributes, start);
    if (scan_.unreadable) return;
    if (!empty) {
      open_.push_back(name);
      inView_.push_back(scan_.view.size() - 1);
    }
    if (empty) scopes_.pop_back();
  }

  void Element(TextView name, const std::vector<Attribute>& attributes, std::size_t start) {
    const auto [prefix, local] = Split(name);
    const std::optional<Text> space = NamespaceOf(prefix);
    if (!space) return Fail(start);
    ViewElement element{*space, Viewed(local), {}, open_.size(), true, start};
    const bool pullsIn = *space == kXsltNamespace && (local == u"include" || local == u"import");
    for (const Attribute& attribute : attributes) {
      const auto [attributePrefix, attributeLocal] = Split(attribute.name);
      const std::optional<Text> attributeSpace = attributePrefix.empty() ? Text() : NamespaceOf(attributePrefix);
      if (!attributeSpace) return Fail(start);
      const TextView raw = text_.substr(attribute.begin, attribute.end - attribute.begin);
      element.attributes.push_back({*attributeSpace, Viewed(attributeLocal), attribute.value, attribute.begin,
                                    attribute.end, raw == TextView(attribute.href)});
      if (pullsIn && attributePrefix.empty() && attributeLocal == u"href") {
        scan_.references.push_back({attribute.begin, attribute.end, attribute.href});
      }
    }
    scan_.view.push_back(std::move(element));
  }

  TextView text_;
  std::size_t at_ = 0;
  bool utf8_ = true;                 // bytes of UTF-8, not units of UTF-16 or a code page
  std::vector<Scope> scopes_;        // per open element
  std::vector<TextView> open_;       // the names of the open elements
  std::vector<std::size_t> inView_;  // and where each is in the view
  ModuleScan scan_;
};

}  // namespace

ModuleScan ScanStylesheetModule(TextView text) { return Reader(text).Read(); }

std::optional<std::size_t> ModuleInCircle(const std::vector<std::vector<std::size_t>>& pulledIn) {
  enum class Seen { kNot, kOnPath, kDone };
  std::vector<Seen> seen(pulledIn.size(), Seen::kNot);
  // Depth first, without recursion: a module and how many of its own it has looked at.
  std::vector<std::pair<std::size_t, std::size_t>> path;
  for (std::size_t start = 0; start < pulledIn.size(); ++start) {
    if (seen[start] != Seen::kNot) continue;
    path.emplace_back(start, 0);
    seen[start] = Seen::kOnPath;
    while (!path.empty()) {
      auto& [module, next] = path.back();
      if (next == pulledIn[module].size()) {
        seen[module] = Seen::kDone;
        path.pop_back();
        continue;
      }
      const std::size_t target = pulledIn[module][next++];
      if (target >= pulledIn.size() || seen[target] == Seen::kDone) continue;
      if (seen[target] == Seen::kOnPath) return target;
      seen[target] = Seen::kOnPath;
      path.emplace_back(target, 0);
    }
  }
  return std::nullopt;
}

Text WithHrefs(TextView text, std::span<const ModuleReference> references, std::span<const Text> hrefs) {
  Text result;
  std::size_t done = 0;
  for (std::size_t i = 0; i < references.size() && i < hrefs.size(); ++i) {
    result.append(text.substr(done, references[i].begin - done));
    result.append(hrefs[i]);
    done = references[i].end;
  }
  result.append(text.substr(done));
  return result;
}

}  // namespace rt
