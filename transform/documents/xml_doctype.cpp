#include "transform/documents/xml_doctype.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rt {
namespace {

constexpr TextView kDoctypeOpen = u"<!DOCTYPE";
// Files of declarations, read again at each reference, add at most this much to read and nest
// at most this deeply, as the document's own entities do (xml_entities.cpp).
constexpr std::size_t kMaxFileText = 4 * 1024 * 1024;
constexpr std::size_t kMaxNesting = 64;

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsNameChar(char16_t c) {
  return c >= 0x80 || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c == u':' || c == u'-' || c == u'.';
}

Text CharacterReference(char32_t c) {
  const std::string digits = std::to_string(static_cast<unsigned long>(c));
  return Concat({u"&#", Text(digits.begin(), digits.end()), u";"});
}

// An external parameter entity: resolved against the file its declaration stands in, fetched
// at its first reference.
struct ParameterEntity {
  Text systemId, base;
  bool fetched = false;
  Text path, text;
};

// What the readers of the internal subset and of the files it names share.
struct DtdState {
  Doctype& doctype;
  const DtdFiles& files;
  std::map<Text, ParameterEntity, std::less<>> parameters;
  std::vector<TextView> open;  // the parameter entities being read, outermost first
  std::size_t fileText = 0;    // units of files read so far
};

// Reads the internal subset, or a fetched file's declarations as if they stood there; stops at
// the first problem.
class DtdReader {
 public:
  // `file`: the text is the fetched file at `path`, read to its end.
  DtdReader(TextView text, TextView path, bool file, DtdState& state)
      : text_(text), path_(path), file_(file), state_(state), doctype_(state.doctype) {}

  void Read(std::size_t at) {
    at_ = at + kDoctypeOpen.size();
    if (!SkipSpace() || Name().empty()) return (void)Malformed();
    SkipSpace();
    const bool external = StartsWith(u"SYSTEM") || StartsWith(u"PUBLIC");
    if (external && !Fetching()) return (void)Fail(DtdProblem::kExternalSubset);
    Text subset;  // the external subset's identifier
    if (external) {
      if (!ExternalId(subset)) return;
      SkipSpace();
    }
    if (At(u'[')) {
      ++at_;
      if (!Subset()) return;
      ++at_;  // the "]"
      SkipSpace();
    }
    if (!At(u'>')) return (void)Malformed();
    // After the internal subset, whose declarations bind first.
    if (external) {
      Text path;
      const std::optional<Text> text = Fetch(subset, Base(), path);
      if (!text || !ReadFile(path, *text, u"")) return;
    }
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
  bool Fail(DtdProblem problem, TextView entity = {}) {
    doctype_.problem = problem;
    doctype_.entity = Text(entity);
    doctype_.file = Text(path_);
    doctype_.place = PlaceOf(text_, at_);
    return false;
  }
  bool Malformed() { return Fail(DtdProblem::kMalformed); }
  // A problem with a file named here.
  bool FailWith(DtdProblem problem, TextView file, TextView detail = {}) {
    Fail(problem);
    doctype_.file = Text(file);
    doctype_.detail = Text(detail);
    return false;
  }
  bool Fetching() const { return static_cast<bool>(state_.files.fetch); }
  TextView Base() const { return file_ ? path_ : TextView(state_.files.modulePath); }

  bool SkipPast(TextView end) {
    const std::size_t found = text_.find(end, at_);
    if (found == TextView::npos) return Malformed();
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
    if (at_ >= text_.size()) return Malformed();
    ++at_;
    return true;
  }

  // Up to the "]" that closes it, or to a file's end; false on a problem.
  bool Subset() {
    for (;;) {
      SkipSpace();
      if (at_ >= text_.size()) return file_ || Malformed();
      bool read = true;
      if (At(u']')) return !file_ || Malformed();
      if (At(u'%')) {
        read = ParameterReference();
      } else if (StartsWith(u"<!--")) {
        read = Comment();
      } else if (StartsWith(u"<?")) {
        at_ += 2;
        read = SkipPast(u"?>");
      } else if (StartsWith(u"<!ENTITY")) {
        read = Entity();
      } else if (StartsWith(u"<!ATTLIST")) {
        return Fail(DtdProblem::kAttributeList);
      } else if (StartsWith(u"<!ELEMENT") || StartsWith(u"<!NOTATION")) {
        read = SkipDeclaration();
      } else {
        return Malformed();
      }
      if (!read) return false;
    }
  }

  // "%name;" between declarations: an external parameter entity declared before.
  bool ParameterReference() {
    const std::size_t start = at_++;
    const TextView name = Name();
    const auto found = state_.parameters.find(name);
    if (found == state_.parameters.end()) {
      at_ = start;
      return Fail(DtdProblem::kParameterEntity);
    }
    if (!At(u';')) return Malformed();
    ++at_;
    if (std::find(state_.open.begin(), state_.open.end(), name) != state_.open.end()) {
      return Fail(DtdProblem::kParameterEntityCycle, name);
    }
    ParameterEntity& entity = found->second;
    if (!entity.fetched) {
      std::optional<Text> text = Fetch(entity.systemId, entity.base, entity.path);
      if (!text) return false;
      entity.text = std::move(*text);
      entity.fetched = true;
    }
    return ReadFile(entity.path, entity.text, found->first);
  }

  // A file's declarations, read as if they stood here.
  bool ReadFile(TextView path, TextView text, TextView entity) {
    state_.fileText += text.size();
    if (state_.fileText > kMaxFileText || state_.open.size() >= kMaxNesting) return Fail(DtdProblem::kTooLarge);
    state_.open.push_back(entity);
    const bool read = DtdReader(text, path, true, state_).Subset();
    state_.open.pop_back();
    return read;
  }

  // The text of the file an identifier names, as it can stand in the module; nothing on a problem.
  std::optional<Text> Fetch(TextView systemId, TextView base, Text& path) {
    FetchedFile fetched = state_.files.fetch(systemId, base);
    path = fetched.path.empty() ? Text(systemId) : std::move(fetched.path);
    if (fetched.outcome == FetchOutcome::kRefused) {
      FailWith(DtdProblem::kFileRefused, systemId);
      return std::nullopt;
    }
    if (fetched.outcome == FetchOutcome::kUnreadable) {
      FailWith(DtdProblem::kFileUnreadable, path, fetched.systemText);
      return std::nullopt;
    }
    DtdFileText file = TextOfDtdFile(fetched.bytes, state_.files);
    if (!file.refusedEncoding.empty()) {
      FailWith(DtdProblem::kFileEncoding, path, file.refusedEncoding);
      return std::nullopt;
    }
    if (file.malformed) {
      FailWith(DtdProblem::kMalformed, path);
      doctype_.place = UnitPlace{};  // a text declaration stands at the start
      return std::nullopt;
    }
    return std::move(file.text);
  }

  // "SYSTEM 'file'" or "PUBLIC 'name' 'file'": the file is what counts.
  bool ExternalId(Text& systemId) {
    const bool isPublic = StartsWith(u"PUBLIC");
    at_ += 6;
    TextView literal;
    if (!SkipSpace() || (isPublic && !(Literal(literal) && SkipSpace())) || !Literal(literal)) return Malformed();
    systemId = Text(literal);
    return true;
  }
  bool Literal(TextView& literal) {
    if (!At(u'"') && !At(u'\'')) return false;
    const std::size_t close = text_.find(text_[at_], at_ + 1);
    if (close == TextView::npos) return false;
    literal = text_.substr(at_ + 1, close - at_ - 1);
    at_ = close + 1;
    return true;
  }

  // Internal parameter entities stay refused; an external entity's file is read at its
  // declaration, when that declaration binds.
  bool Entity() {
    at_ += 8;  // "<!ENTITY"
    if (!SkipSpace()) return Malformed();
    const bool parameter = At(u'%');
    if (parameter) {
      if (!Fetching()) return Fail(DtdProblem::kParameterEntity);
      ++at_;
      if (!SkipSpace()) return Malformed();
    }
    const TextView name = Name();
    if (name.empty() || !SkipSpace()) return Malformed();
    const bool external = StartsWith(u"SYSTEM") || StartsWith(u"PUBLIC");
    if (parameter && !external) return Fail(DtdProblem::kParameterEntity);
    if (external && !Fetching()) return Fail(DtdProblem::kExternalEntity, name);
    EntityText value;
    Text systemId;
    if (!(external ? ExternalId(systemId) : Value(value))) return false;
    SkipSpace();
    if (external && !parameter && StartsWith(u"NDATA")) return Fail(DtdProblem::kUnparsedEntity, name);
    if (!At(u'>')) return Malformed();
    ++at_;
    if (parameter) {
      const auto [entry, added] = state_.parameters.try_emplace(Text(name));
      if (added) {
        entry->second.systemId = std::move(systemId);
        entry->second.base = Text(Base());
      }
      return true;
    }
    // The first declaration binds; the five predefined ones keep their meaning.
    const bool predefined = name == u"lt" || name == u"gt" || name == u"amp" || name == u"apos" || name == u"quot";
    if (predefined || doctype_.entities.contains(name)) return true;
    if (external) {
      Text path;
      std::optional<Text> text = Fetch(systemId, Base(), path);
      if (!text) return false;
      value.inContent = std::move(*text);
      value.external = true;
    }
    doctype_.entities.emplace(Text(name), std::move(value));
    return true;
  }

  // The literal's character references are replaced now; references to other entities stay,
  // to be replaced where the value is used.
  bool Value(EntityText& value) {
    if (!At(u'"') && !At(u'\'')) return Malformed();
    const char16_t quote = text_[at_++];
    while (at_ < text_.size() && text_[at_] != quote) {
      const char16_t c = text_[at_];
      if (c == u'%') return Fail(DtdProblem::kParameterEntity);
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
  TextView path_;
  bool file_;
  DtdState& state_;
  Doctype& doctype_;
  std::size_t at_ = 0;
};

}  // namespace

Doctype ReadDoctype(TextView units) { return ReadDoctype(units, DtdFiles{}); }

Doctype ReadDoctype(TextView units, const DtdFiles& files) {
  Doctype doctype;
  const PrologScan prolog = ScanProlog(units);
  if (prolog.end != PrologEnd::kDoctype) return doctype;
  doctype.begin = doctype.end = prolog.at;
  DtdState state{doctype, files, {}, {}, 0};
  DtdReader(units, u"", false, state).Read(prolog.at);
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
