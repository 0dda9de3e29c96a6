#include "transform/documents/document_function_call.h"

#include <algorithm>
#include <tuple>

namespace rt {
namespace {

constexpr TextView kDocument = u"document";

bool IsNameStart(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80; }
bool IsNameChar(char16_t c) { return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.'; }
bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::size_t NameEnd(TextView text, std::size_t i) {
  while (i < text.size() && IsNameChar(text[i])) ++i;
  return i;
}

std::size_t SpaceEnd(TextView text, std::size_t i) {
  while (i < text.size() && IsSpace(text[i])) ++i;
  return i;
}

// After a string literal, a variable reference (a QName) or anything up to the ")" that closes
// the call: the first argument, and whether a second one follows. `open` is after the "(".
DocumentCall Arguments(TextView text, std::size_t open) {
  DocumentCall call;
  std::size_t at = SpaceEnd(text, open);
  std::size_t after = at;
  if (at < text.size() && (text[at] == u'\'' || text[at] == u'"')) {
    const std::size_t close = text.find(text[at], at + 1);
    if (close != TextView::npos) {
      call = {DocumentCall::Argument::kLiteral, Text(text.substr(at + 1, close - at - 1)), at + 1, close};
      after = close + 1;
    }
  } else if (at < text.size() && text[at] == u'$') {
    std::size_t end = NameEnd(text, at + 1);
    if (end + 1 < text.size() && text[end] == u':' && IsNameStart(text[end + 1])) end = NameEnd(text, end + 1);
    if (end > at + 1) {
      call = {DocumentCall::Argument::kVariable, Text(text.substr(at + 1, end - at - 1))};
      after = end;
    }
  }
  after = SpaceEnd(text, after);
  if (after >= text.size() || (text[after] != u',' && text[after] != u')')) call = {};
  // Whether a "," stands at the call's own level before its ")".
  int depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\'' || c == u'"') {
      const std::size_t close = text.find(c, i + 1);
      if (close == TextView::npos) break;
      i = close;
    } else if (c == u'(' || c == u'[') {
      ++depth;
    } else if ((c == u')' || c == u']') && depth-- == 0) {
      break;
    } else if (c == u',' && depth == 0) {
      call.base = true;
      break;
    }
  }
  return call;
}

// Reads XPath tokens from `i` to the end, or in a template to the closing brace, and leaves
// `i` after them. Names are read whole so that "my-document(" or "ext:document(" is no call.
void ExpressionCalls(TextView text, std::size_t& i, AttributeHolds holds, std::vector<DocumentCall>& calls) {
  while (i < text.size()) {
    const char16_t c = text[i];
    if (holds == AttributeHolds::kTemplate && c == u'}') {
      ++i;
      return;
    }
    if (c == u'\'' || c == u'"') {
      const auto close = text.find(c, i + 1);
      i = close == TextView::npos ? text.size() : close + 1;
    } else if (c >= u'0' && c <= u'9') {
      while (i < text.size() && ((text[i] >= u'0' && text[i] <= u'9') || text[i] == u'.')) ++i;
    } else if (c == u'$') {
      i = NameEnd(text, i + 1);
    } else if (IsNameStart(c)) {
      const std::size_t end = NameEnd(text, i);
      const bool prefixed = end + 1 < text.size() && text[end] == u':' && IsNameStart(text[end + 1]);
      if (prefixed) {
        i = NameEnd(text, end + 1);
        continue;
      }
      const bool isDocument = text.substr(i, end - i) == kDocument;
      const std::size_t start = i;
      i = end;
      const std::size_t next = SpaceEnd(text, end);
      if (isDocument && next < text.size() && text[next] == u'(') {
        calls.push_back(Arguments(text, next + 1));
        calls.back().at = start;
      }
    } else {
      ++i;
    }
  }
}

// The value as a template: the expressions of its {…} parts.
void TemplateCalls(TextView value, std::vector<DocumentCall>& calls) {
  std::size_t i = 0;
  while (i < value.size()) {
    if (value[i] != u'{') {
      ++i;
    } else if (i + 1 < value.size() && value[i + 1] == u'{') {
      i += 2;  // an escaped brace
    } else {
      ++i;
      ExpressionCalls(value, i, AttributeHolds::kTemplate, calls);
    }
  }
}

}  // namespace

std::vector<DocumentCall> DocumentCallsIn(TextView value, AttributeHolds holds) {
  std::vector<DocumentCall> calls;
  std::size_t i = 0;
  if (holds == AttributeHolds::kExpression) ExpressionCalls(value, i, holds, calls);
  TemplateCalls(value, calls);
  // A call read both ways is one call; those the readings disagree on are all kept.
  const auto key = [](const DocumentCall& c) { return std::tie(c.at, c.first, c.text, c.begin, c.end, c.base); };
  std::sort(calls.begin(), calls.end(),
            [&key](const DocumentCall& a, const DocumentCall& b) { return key(a) < key(b); });
  calls.erase(std::unique(calls.begin(), calls.end(),
                          [&key](const DocumentCall& a, const DocumentCall& b) { return key(a) == key(b); }),
              calls.end());
  return calls;
}

bool CallsDocumentFunction(TextView value, AttributeHolds holds) { return !DocumentCallsIn(value, holds).empty(); }

}  // namespace rt
