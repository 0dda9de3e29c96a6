#include "transform/documents/module_view.h"

#include "transform/documents/document_function_call.h"

namespace rt {
namespace {

constexpr TextView kXsltNamespace = u"http://www.w3.org/1999/XSL/Transform";
constexpr TextView kScriptNamespace = u"urn:schemas-microsoft-com:xslt";
constexpr TextView kXmlNamespace = u"http://www.w3.org/XML/1998/namespace";

// Every character beyond ASCII (a surrogate pair too) as one stand-in.
Text Folded(TextView text) {
  Text folded;
  for (const char16_t c : text) {
    if (c < 0x80) {
      folded.push_back(c);
    } else if (c < 0xDC00 || c >= 0xE000) {
      folded.push_back(u'\x80');
    }
  }
  return folded;
}

}  // namespace

bool SameView(const ModuleView& a, const ModuleView& b) {
  const auto same = [](TextView x, TextView y) { return Folded(x) == Folded(y); };
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
