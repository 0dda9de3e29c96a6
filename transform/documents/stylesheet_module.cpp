#include "transform/documents/stylesheet_module.h"

#include <utility>

#include "transform/documents/document_function_call.h"

namespace rt {
namespace {

constexpr TextView kXsltNamespace = u"http://www.w3.org/1999/XSL/Transform";
constexpr TextView kScriptNamespace = u"urn:schemas-microsoft-com:xslt";

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsNameChar(char16_t c) { return !IsSpace(c) && c != u'=' && c != u'>' && c != u'/' && c != u'<'; }

struct Attribute {
  TextView name;
  std::size_t begin = 0, end = 0;  // the value between its quotes
  Text value;
};

// An attribute value as the parser hands it on: the predefined entities and character
// references replaced (those beyond ASCII by a stand-in that reads as a letter).
Text Decoded(TextView raw) {
  Text value;
  for (std::size_t at = 0; at < raw.size(); ++at) {
    const std::size_t semicolon = raw[at] == u'&' ? raw.find(u';', at) : TextView::npos;
    if (semicolon == TextView::npos) {
      value.push_back(raw[at]);
      continue;
    }
    const TextView name = raw.substr(at + 1, semicolon - at - 1);
    char32_t c = 0;
    if (name == u"lt") c = u'<';
    if (name == u"gt") c = u'>';
    if (name == u"amp") c = u'&';
    if (name == u"apos") c = u'\'';
    if (name == u"quot") c = u'"';
    if (name.starts_with(u"#")) {
      const bool hex = name.starts_with(u"#x");
      for (const char16_t digit : name.substr(hex ? 2 : 1)) {
        const int d = digit >= u'0' && digit <= u'9'          ? digit - u'0'
                      : hex && digit >= u'a' && digit <= u'f' ? digit - u'a' + 10
                      : hex && digit >= u'A' && digit <= u'F' ? digit - u'A' + 10
                                                              : 0;
        c = c < 0x110000 ? c * (hex ? 16 : 10) + static_cast<char32_t>(d) : c;
      }
    }
    if (c == 0) {
      value.push_back(raw[at]);
      continue;
    }
    value.push_back(c < 0x80 ? static_cast<char16_t>(c) : u'\x80');
    at = semicolon;
  }
  return value;
}

class Scanner {
 public:
  explicit Scanner(TextView text) : text_(text) {}

  ModuleScan Scan() {
    while (at_ < text_.size()) {
      const TextView rest = text_.substr(at_);
      if (rest.starts_with(u"<!--")) {
        SkipPast(u"-->");
      } else if (rest.starts_with(u"<?")) {
        SkipPast(u"?>");
      } else if (rest.starts_with(u"<![CDATA[")) {
        SkipPast(u"]]>");
      } else if (rest.starts_with(u"</")) {
        SkipPast(u">");
        if (!scopes_.empty()) scopes_.pop_back();
      } else if (rest.starts_with(u"<")) {
        StartTag();
      } else {
        ++at_;
      }
    }
    return std::move(scan_);
  }

 private:
  void SkipPast(TextView end) {
    const std::size_t found = text_.find(end, at_ + 1);
    at_ = found == TextView::npos ? text_.size() : found + end.size();
  }

  TextView Name() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }

  void SkipSpace() {
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
  }

  // The namespace a prefix stands for here; the default one for an empty prefix.
  TextView NamespaceOf(TextView prefix) const {
    for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
      for (const auto& [declared, uri] : *scope) {
        if (declared == prefix) return uri;
      }
    }
    return {};
  }

  void StartTag() {
    ++at_;
    const TextView element = Name();
    std::vector<Attribute> attributes;
    std::vector<std::pair<TextView, Text>> declared;
    bool empty = false;
    for (;;) {
      SkipSpace();
      if (at_ >= text_.size()) break;
      if (text_[at_] == u'>' || text_.substr(at_).starts_with(u"/>")) {
        empty = text_[at_] == u'/';
        at_ += empty ? 2 : 1;
        break;
      }
      Attribute attribute;
      attribute.name = Name();
      SkipSpace();
      if (attribute.name.empty() || at_ >= text_.size() || text_[at_] != u'=') {
        ++at_;  // not well-formed: the library says so
        continue;
      }
      ++at_;
      SkipSpace();
      if (at_ >= text_.size() || (text_[at_] != u'"' && text_[at_] != u'\'')) continue;
      const std::size_t close = text_.find(text_[at_], at_ + 1);
      attribute.begin = at_ + 1;
      attribute.end = close == TextView::npos ? text_.size() : close;
      at_ = close == TextView::npos ? text_.size() : close + 1;
      attribute.value = Decoded(text_.substr(attribute.begin, attribute.end - attribute.begin));
      if (attribute.name == u"xmlns") {
        declared.emplace_back(TextView(), attribute.value);
      } else if (attribute.name.starts_with(u"xmlns:")) {
        declared.emplace_back(attribute.name.substr(6), attribute.value);
      } else {
        attributes.push_back(std::move(attribute));
      }
    }
    scopes_.push_back(std::move(declared));
    Element(element, attributes);
    if (empty) scopes_.pop_back();
  }

  void Element(TextView name, const std::vector<Attribute>& attributes) {
    const std::size_t colon = name.find(u':');
    const TextView prefix = colon == TextView::npos ? TextView() : name.substr(0, colon);
    const TextView local = colon == TextView::npos ? name : name.substr(colon + 1);
    const TextView space = NamespaceOf(prefix);
    const bool xslt = space == kXsltNamespace;
    if (space == kScriptNamespace && local == u"script") Refuse(RefusedUse::kScript);
    for (const Attribute& attribute : attributes) {
      // XSLT's own attributes hold expressions or templates; those of other elements templates.
      if (CallsDocumentFunction(attribute.value, xslt ? AttributeHolds::kExpression : AttributeHolds::kTemplate)) {
        Refuse(RefusedUse::kDocumentFunction);
      }
      if (xslt && (local == u"include" || local == u"import") && attribute.name == u"href") {
        scan_.references.push_back({attribute.begin, attribute.end, attribute.value});
      }
    }
  }

  void Refuse(RefusedUse use) {
    if (scan_.refused == RefusedUse::kNone) scan_.refused = use;
  }

  TextView text_;
  std::size_t at_ = 0;
  std::vector<std::vector<std::pair<TextView, Text>>> scopes_;  // prefix and namespace, per open element
  ModuleScan scan_;
};

}  // namespace

ModuleScan ScanStylesheetModule(TextView text) { return Scanner(text).Scan(); }

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
