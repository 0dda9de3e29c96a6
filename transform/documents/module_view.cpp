#include "transform/documents/module_view.h"

#include "transform/documents/document_function_call.h"

namespace rt {
namespace {

constexpr TextView kXsltNamespace = u"http://www.w3.org/1999/XSL/Transform";
constexpr TextView kScriptNamespace = u"urn:schemas-microsoft-com:xslt";
constexpr TextView kXmlNamespace = u"http://www.w3.org/XML/1998/namespace";

}  // namespace

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
