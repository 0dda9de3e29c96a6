#include "transform/documents/module_view.h"

#include "transform/documents/document_function_call.h"

namespace rt {
namespace {

constexpr TextView kXsltNamespace = u"http://www.w3.org/1999/XSL/Transform";
constexpr TextView kScriptNamespace = u"urn:schemas-microsoft-com:xslt";
constexpr TextView kXmlNamespace = u"http://www.w3.org/XML/1998/namespace";

// The same text when every character beyond ASCII (a surrogate pair too) is one stand-in.
bool SameFolded(TextView a, TextView b) {
  const auto next = [](TextView text, std::size_t& at) -> int {
    while (at < text.size() && text[at] >= 0xDC00 && text[at] < 0xE000) ++at;  // a pair's second half
    if (at >= text.size()) return -1;
    const char16_t c = text[at++];
    return c < 0x80 ? c : 0x80;
  };
  std::size_t i = 0, k = 0;
  for (;;) {
    const int x = next(a, i), y = next(b, k);
    if (x != y) return false;
    if (x < 0) return true;
  }
}

}  // namespace

bool SameView(const ModuleView& a, const ModuleView& b) {
  const auto same = [](TextView x, TextView y) { return SameFolded(x, y); };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const ViewElement &x = a[i], &y = b[i];
    if (!same(x.space, y.space) || !same(x.local, y.local) || x.depth != y.depth ||
        x.attributes.size() != y.attributes.size()) {
      return false;
    }
    for (std::size_t k = 0; k < x.attributes.size(); ++k) {
      const ViewAttribute &p = x.attributes[k], &q = y.attributes[k];
      if (!same(p.space, q.space) || !same(p.local, q.local) || !same(p.value, q.value)) return false;
    }
  }
  return true;
}

ViewCheck CheckModuleView(const ModuleView& view) {
  ViewCheck check;
  const auto refuse = [&check](RefusedUse use) {
    if (check.refused == RefusedUse::kNone) check.refused = use;
  };
  for (const ViewElement& element : view) {
    const bool xslt = element.space == kXsltNamespace;
    const bool pullsIn = xslt && (element.local == u"include" || element.local == u"import");
    if (element.space == kScriptNamespace && element.local == u"script") refuse(RefusedUse::kScript);
    for (const ViewAttribute& attribute : element.attributes) {
      if (attribute.space == kXmlNamespace && attribute.local == u"base") refuse(RefusedUse::kBase);
      // XSLT's own attributes hold expressions or templates; those of other elements templates.
      if (CallsDocumentFunction(attribute.value, xslt ? AttributeHolds::kExpression : AttributeHolds::kTemplate)) {
        refuse(RefusedUse::kDocumentFunction);
      }
      if (pullsIn && attribute.space.empty() && attribute.local == u"href") check.hrefs.push_back(attribute.value);
    }
  }
  return check;
}

}  // namespace rt
