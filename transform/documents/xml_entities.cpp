#include "transform/documents/xml_entities.h"

#include <algorithm>
#include <vector>

namespace rt {
namespace {

// A few entities referring to each other can make a text of any size; the entities of a
// stylesheet written by hand add far less than this to it, and nest far less deeply.
constexpr std::size_t kMaxGrowth = 4 * 1024 * 1024;
constexpr std::size_t kMaxNesting = 64;

bool IsNameChar(char16_t c) {
  return c >= 0x80 || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
         c == u':' || c == u'-' || c == u'.';
}

class Expander {
 public:
  Expander(const Doctype& doctype, std::size_t size) : entities_(doctype.entities), limit_(size + kMaxGrowth) {}

  // Markup and text: comments, processing instructions and sections are copied as they are,
  // references are replaced in text and in the quoted values of tags.
  void Content(TextView text) {
    std::size_t at = 0;
    while (at < text.size() && Fine()) {
      const TextView rest = text.substr(at);
      if (rest.starts_with(u"<!--")) {
        at = CopyPast(text, at, 4, u"-->");  // "<!-->" opens a comment whose text begins with ">"
      } else if (rest.starts_with(u"<?")) {
        at = CopyPast(text, at, 2, u"?>");
      } else if (rest.starts_with(u"<![CDATA[")) {
        at = CopyPast(text, at, 9, u"]]>");
      } else if (text[at] == u'<') {
        at = Tag(text, at);
      } else if (text[at] == u'&') {
        at = Reference(text, at, false);
      } else {
        const std::size_t next = std::min(text.find_first_of(u"<&", at), text.size());
        out_.append(text.substr(at, next - at));
        at = next;
      }
    }
  }

  Expansion Take() { return {std::move(out_), problem_, std::move(entity_)}; }

 private:
  bool Fine() {
    if (problem_ == ExpansionProblem::kNone && out_.size() > limit_) problem_ = ExpansionProblem::kTooLarge;
    return problem_ == ExpansionProblem::kNone;
  }

  // From `at` past the end of what opens there with `open` units.
  std::size_t CopyPast(TextView text, std::size_t at, std::size_t open, TextView end) {
    const std::size_t found = text.find(end, at + open);
    const std::size_t stop = found == TextView::npos ? text.size() : found + end.size();
    out_.append(text.substr(at, stop - at));
    return stop;
  }

  std::size_t Tag(TextView text, std::size_t at) {
    out_.push_back(text[at++]);
    while (at < text.size() && Fine()) {
      const char16_t c = text[at++];
      out_.push_back(c);
      if (c == u'>') break;
      if (c != u'"' && c != u'\'') continue;
      while (at < text.size() && text[at] != c && Fine()) {
        if (text[at] == u'&') {
          at = Reference(text, at, true);
        } else {
          out_.push_back(text[at++]);
        }
      }
      if (at < text.size()) out_.push_back(text[at++]);
    }
    return at;
  }

  // A reference at `at`; returns where the text goes on.
  std::size_t Reference(TextView text, std::size_t at, bool inAttribute) {
    std::size_t end = at + 1;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    const auto found =
        end < text.size() && text[end] == u';' ? entities_.find(text.substr(at + 1, end - at - 1)) : entities_.end();
    if (found == entities_.end()) {
      out_.push_back(text[at]);
      return at + 1;
    }
    const bool recursive = std::find(open_.begin(), open_.end(), found->first) != open_.end();
    if (recursive || (inAttribute && found->second.external)) {
      problem_ = recursive ? ExpansionProblem::kRecursive : ExpansionProblem::kExternalInAttribute;
      entity_ = found->first;
      return text.size();
    }
    if (open_.size() >= kMaxNesting) {
      problem_ = ExpansionProblem::kTooLarge;
      return text.size();
    }
    open_.push_back(found->first);
    if (inAttribute) {
      Attribute(found->second.inAttribute);
    } else {
      Content(found->second.inContent);
    }
    open_.pop_back();
    return end + 1;
  }

  void Attribute(TextView text) {
    std::size_t at = 0;
    while (at < text.size() && Fine()) {
      if (text[at] == u'&') {
        at = Reference(text, at, true);
      } else {
        out_.push_back(text[at++]);
      }
    }
  }

  const std::map<Text, EntityText, std::less<>>& entities_;
  const std::size_t limit_;
  std::vector<TextView> open_;  // the entities being replaced, outermost first
  Text out_;
  ExpansionProblem problem_ = ExpansionProblem::kNone;
  Text entity_;
};

}  // namespace

Expansion WithoutDoctype(TextView units, const Doctype& doctype) {
  Expander expander(doctype, units.size());
  const TextView declaration = units.substr(doctype.begin, doctype.end - doctype.begin);
  Text prolog(units.substr(0, doctype.begin));
  for (const char16_t c : declaration) {
    if (c == u'\r' || c == u'\n') prolog.push_back(c);
  }
  expander.Content(prolog);
  expander.Content(units.substr(doctype.end));
  return expander.Take();
}

}  // namespace rt
