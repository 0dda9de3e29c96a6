#include "transform/documents/xml_doctype.h"

#include <cstdint>
#include <string>

namespace rt {
namespace {

constexpr TextView kDoctypeOpen = u"<!DOCTYPE";

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsNameChar(char16_t c) {
  return c >= 0x80 || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c == u':' || c == u'-' || c == u'.';
}

Text CharacterReference(char32_t c) {
  const std::string digits = std::to_string(static_cast<unsigned long>(c));
  return Concat({u"&#", Text(digits.begin(), digits.end()), u";"});
}

// Reads the internal subset; stops at the first problem.
class DtdReader {
 public:
  DtdReader(TextView text, Doctype& doctype) : text_(text), doctype_(doctype) {}

  void Read(std::size_t at) {
    at_ = at + kDoctypeOpen.size();
    if (!SkipSpace() || Name().empty()) return Fail(DtdProblem::kMalformed);
    SkipSpace();
    if (StartsWith(u"SYSTEM") || StartsWith(u"PUBLIC")) return Fail(DtdProblem::kExternalSubset);
    if (At(u'[')) {
      ++at_;
      if (!Subset()) return;
      ++at_;  // the "]"
      SkipSpace();
    }
    if (!At(u'>')) return Fail(DtdProblem::kMalformed);
    doctype_.end = at_ + 1;
  }

 private:
  bool StartsWith(TextView prefix) const { return text_.substr(at_).starts_with(prefix); }
  bool At(char16_t c) const { return at_ < text_.size() && text_[at_] == c; }
  bool SkipSpace() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    return at_ > start;
  }
  TextView Name() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }
  void Fail(DtdProblem problem, TextView entity = {}) {
    doctype_.problem = problem;
    doctype_.entity = Text(entity);
    doctype_.problemAt = at_;
  }
  bool SkipPast(TextView end) {
    const std::size_t found = text_.find(end, at_);
    if (found == TextView::npos) {
      Fail(DtdProblem::kMalformed);
      return false;
    }
    at_ = found + end.size();
    return true;
  }
  // "--" ends a comment, and only before ">": "<!-->" opens one whose text begins with ">".
  bool Comment() {
    at_ += 4;
    if (!SkipPast(u"--")) return false;
    if (!At(u'>')) return Malformed();
    ++at_;
    return true;
  }

  // A declaration that changes nothing without validation, up to its ">" outside quotes.
  bool SkipDeclaration() {
    while (at_ < text_.size() && text_[at_] != u'>') {
      if (text_[at_] == u'"' || text_[at_] == u'\'') {
        const std::size_t close = text_.find(text_[at_], at_ + 1);
        if (close == TextView::npos) break;
        at_ = close;
      }
      ++at_;
    }
    if (at_ >= text_.size()) {
      Fail(DtdProblem::kMalformed);
      return false;
    }
    ++at_;
    return true;
  }

  // Up to the "]" that closes it; false on a problem.
  bool Subset() {
    for (;;) {
      SkipSpace();
      if (at_ >= text_.size()) {
        Fail(DtdProblem::kMalformed);
        return false;
      }
      bool read = true;
      if (At(u']')) return true;
      if (At(u'%')) {
        Fail(DtdProblem::kParameterEntity);
        return false;
      }
      if (StartsWith(u"<!--")) {
        read = Comment();
      } else if (StartsWith(u"<?")) {
        at_ += 2;
        read = SkipPast(u"?>");
      } else if (StartsWith(u"<!ENTITY")) {
        read = Entity();
      } else if (StartsWith(u"<!ATTLIST")) {
        Fail(DtdProblem::kAttributeList);
        return false;
      } else if (StartsWith(u"<!ELEMENT") || StartsWith(u"<!NOTATION")) {
        read = SkipDeclaration();
      } else {
        Fail(DtdProblem::kMalformed);
        return false;
      }
      if (!read) return false;
    }
  }

  bool Entity() {
    at_ += 8;  // "<!ENTITY"
    if (!SkipSpace()) return Malformed();
    if (At(u'%')) {
      Fail(DtdProblem::kParameterEntity);
      return false;
    }
    const TextView name = Name();
    if (name.empty() || !SkipSpace()) return Malformed();
    if (StartsWith(u"SYSTEM") || StartsWith(u"PUBLIC")) {
      Fail(DtdProblem::kExternalEntity, name);
      return false;
    }
    EntityText value;
    if (!Value(value)) return false;
    SkipSpace();
    if (!At(u'>')) return Malformed();
    ++at_;
    // The first declaration binds; the five predefined ones keep their meaning.
    const bool predefined = name == u"lt" || name == u"gt" || name == u"amp" || name == u"apos" || name == u"quot";
    if (!predefined) doctype_.entities.try_emplace(Text(name), std::move(value));
    return true;
  }

  bool Malformed() {
    Fail(DtdProblem::kMalformed);
    return false;
  }

  // The literal's character references are replaced now; references to other entities stay,
  // to be replaced where the value is used.
  bool Value(EntityText& value) {
    if (!At(u'"') && !At(u'\'')) return Malformed();
    const char16_t quote = text_[at_++];
    while (at_ < text_.size() && text_[at_] != quote) {
      const char16_t c = text_[at_];
      if (c == u'%') {
        Fail(DtdProblem::kParameterEntity);
        return false;
      }
      if (c == u'&' && at_ + 1 < text_.size() && text_[at_ + 1] == u'#') {
        char32_t decoded = 0;
        if (!Reference(decoded)) return Malformed();
        AppendDecoded(value, decoded);
      } else {
        // Line ends are one LF before anything else reads them, so that a CR in the document
        // and an LF from an entity never make one line end.
        if (c == u'\r' && at_ + 1 < text_.size() && text_[at_ + 1] == u'\n') ++at_;
        ++at_;
        AppendRaw(value, c == u'\r' ? u'\n' : c);
      }
    }
    if (at_ >= text_.size()) return Malformed();
    ++at_;
    return true;
  }

  // "&#N;" or "&#xN;" at at_.
  bool Reference(char32_t& decoded) {
    at_ += 2;
    const bool hex = At(u'x');
    if (hex) ++at_;
    const std::size_t start = at_;
    std::uint64_t number = 0;
    for (; at_ < text_.size() && text_[at_] != u';'; ++at_) {
      const char16_t c = text_[at_];
      int digit = -1;
      if (c >= u'0' && c <= u'9') digit = c - u'0';
      if (hex && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
      if (hex && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
      if (digit < 0) return false;
      number = number * (hex ? 16 : 10) + static_cast<unsigned>(digit);
      if (number > 0x10FFFF) return false;
    }
    if (at_ == start || at_ >= text_.size() || number == 0) return false;
    ++at_;
    decoded = static_cast<char32_t>(number);
    return true;
  }

  // In an attribute value white space is a blank already, as the value's normalisation makes it.
  static void AppendRaw(EntityText& value, char16_t c) {
    value.inContent.push_back(c);
    if (c == u'"' || c == u'\'') {
      value.inAttribute += CharacterReference(c);
    } else if (c == u'\t' || c == u'\n') {
      value.inAttribute.push_back(u' ');
    } else {
      value.inAttribute.push_back(c);
    }
  }

  // A printable ASCII character stands for itself (markup again, as the rules want); any other
  // stays a character reference, which keeps it exactly. In an attribute value white space
  // becomes a blank.
  static void AppendDecoded(EntityText& value, char32_t c) {
    const bool whiteSpace = c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
    if (c >= 0x20 && c < 0x7F) {
      value.inContent.push_back(static_cast<char16_t>(c));
    } else {
      value.inContent += CharacterReference(c);
    }
    if (whiteSpace) {
      value.inAttribute.push_back(u' ');
    } else if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'\'') {
      value.inAttribute.push_back(static_cast<char16_t>(c));
    } else {
      value.inAttribute += CharacterReference(c);
    }
  }

  TextView text_;
  Doctype& doctype_;
  std::size_t at_ = 0;
};

}  // namespace

Doctype ReadDoctype(TextView units) {
  Doctype doctype;
  const PrologScan prolog = ScanProlog(units);
  if (prolog.end != PrologEnd::kDoctype) return doctype;
  doctype.begin = doctype.end = prolog.at;
  DtdReader(units, doctype).Read(prolog.at);
  return doctype;
}

UnitPlace PlaceOf(TextView units, std::size_t at) {
  UnitPlace place;
  for (std::size_t i = 0; i < at && i < units.size(); ++i) {
    const bool lineEnd = units[i] == u'\n' || (units[i] == u'\r' && (i + 1 >= units.size() || units[i + 1] != u'\n'));
    if (lineEnd) {
      ++place.line;
      place.column = 1;
    } else if (units[i] != u'\r') {
      ++place.column;
    }
  }
  return place;
}

}  // namespace rt
