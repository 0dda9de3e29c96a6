#include "transform/documents/xml_error_place.h"

#include <string>
#include <vector>

namespace rt {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == ':' || c == '-' || c == '.';
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::optional<std::size_t> FirstMistake() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '<') {
        if (const auto mistake = Markup()) return mistake;
      } else if (c == '&') {
        if (const auto mistake = Reference()) return mistake;
      } else {
        if (!IsSpace(c) && open_.empty()) return at_;  // text outside the document element
        ++at_;
      }
    }
    if (!open_.empty() || !rootSeen_) return text_.size();
    return std::nullopt;
  }

 private:
  bool StartsWith(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }

  // Skips to just after `end`; the start of the construct when it never comes.
  std::optional<std::size_t> SkipPast(std::string_view end) {
    const std::size_t start = at_;
    const std::size_t found = text_.find(end, at_);
    if (found == std::string_view::npos) return start;
    at_ = found + end.size();
    return std::nullopt;
  }

  std::optional<std::size_t> Reference() {
    const std::size_t start = at_++;
    if (at_ < text_.size() && text_[at_] == '#') ++at_;
    const std::size_t nameStart = at_;
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    if (at_ == nameStart || at_ >= text_.size() || text_[at_] != ';') return start;
    ++at_;
    return open_.empty() ? std::optional<std::size_t>(start) : std::nullopt;
  }

  std::optional<std::size_t> Markup() {
    if (StartsWith("<!--")) return SkipPast("-->");
    if (StartsWith("<![CDATA[")) return open_.empty() ? std::optional<std::size_t>(at_) : SkipPast("]]>");
    if (StartsWith("<?")) return SkipPast("?>");
    if (StartsWith("<!")) return Declaration();
    if (StartsWith("</")) return EndTag();
    return StartTag();
  }

  // <!DOCTYPE ...>, with an internal subset in brackets.
  std::optional<std::size_t> Declaration() {
    const std::size_t start = at_;
    int brackets = 0;
    for (; at_ < text_.size(); ++at_) {
      if (text_[at_] == '[') ++brackets;
      if (text_[at_] == ']') --brackets;
      if (text_[at_] == '>' && brackets <= 0) {
        ++at_;
        return std::nullopt;
      }
    }
    return start;
  }

  std::string Name() {
    const std::size_t start = at_;
    while (at_ < text_.size() && IsNameChar(text_[at_])) ++at_;
    return std::string(text_.substr(start, at_ - start));
  }

  std::optional<std::size_t> EndTag() {
    const std::size_t start = at_;
    at_ += 2;
    const std::string name = Name();
    while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    if (at_ >= text_.size() || text_[at_] != '>' || open_.empty() || open_.back() != name) return start;
    ++at_;
    open_.pop_back();
    return std::nullopt;
  }

  std::optional<std::size_t> StartTag() {
    const std::size_t start = at_++;
    if (open_.empty() && rootSeen_) return start;  // a second document element
    const std::string name = Name();
    if (name.empty()) return start;
    for (;;) {
      while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
      if (at_ >= text_.size()) return start;
      if (text_[at_] == '>' || StartsWith("/>")) break;
      const std::size_t attribute = at_;
      if (Name().empty()) return attribute;
      while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
      if (at_ >= text_.size() || text_[at_] != '=') return at_;
      ++at_;
      while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
      if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) return at_;
      const char quote = text_[at_];
      const std::size_t close = text_.find(quote, at_ + 1);
      if (close == std::string_view::npos) return at_;
      const std::size_t lessThan = text_.find('<', at_ + 1);
      if (lessThan < close) return lessThan;
      at_ = close + 1;
    }
    rootSeen_ = true;
    if (text_[at_] == '>') {
      open_.push_back(name);
      ++at_;
    } else {
      at_ += 2;
    }
    return std::nullopt;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::vector<std::string> open_;
  bool rootSeen_ = false;
};

}  // namespace

std::optional<TextPlace> FirstMalformedPlace(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::optional<std::size_t> mistake = Scanner(text).FirstMistake();
  if (!mistake) return std::nullopt;
  TextPlace place{1, 1};
  for (std::size_t i = 0; i < *mistake && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++place.line;
      place.column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++place.column;
    }
  }
  return place;
}

}  // namespace rt
