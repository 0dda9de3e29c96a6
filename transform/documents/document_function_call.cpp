#include "transform/documents/document_function_call.h"

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

// Reads XPath tokens from `i` to the end, or in a template to the closing brace, and leaves
// `i` after them. Names are read whole so that "my-document(" or "ext:document(" is no call.
bool ExpressionCalls(TextView text, std::size_t& i, AttributeHolds holds) {
  while (i < text.size()) {
    const char16_t c = text[i];
    if (holds == AttributeHolds::kTemplate && c == u'}') {
      ++i;
      return false;
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
      i = end;
      std::size_t next = end;
      while (next < text.size() && IsSpace(text[next])) ++next;
      if (isDocument && next < text.size() && text[next] == u'(') return true;
    } else {
      ++i;
    }
  }
  return false;
}

// The value as a template: the expressions of its {…} parts.
bool TemplateCalls(TextView value) {
  std::size_t i = 0;
  while (i < value.size()) {
    if (value[i] != u'{') {
      ++i;
    } else if (i + 1 < value.size() && value[i + 1] == u'{') {
      i += 2;  // an escaped brace
    } else {
      ++i;
      if (ExpressionCalls(value, i, AttributeHolds::kTemplate)) return true;
    }
  }
  return false;
}

}  // namespace

bool CallsDocumentFunction(TextView value, AttributeHolds holds) {
  std::size_t i = 0;
  if (holds == AttributeHolds::kExpression && ExpressionCalls(value, i, holds)) return true;
  return TemplateCalls(value);
}

}  // namespace rt
