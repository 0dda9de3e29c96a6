#include "transform/module_view_win32.h"

#include <vector>

#include "runtime/com/com_support_win32.h"

namespace rt {
namespace {

constexpr TextView kXmlNamespace = u"http://www.w3.org/XML/1998/namespace";

Text NamespaceOf(IXMLDOMNode* node) {
  Bstr text;
  node->get_namespaceURI(text.put());
  return text.text();
}

Text LocalNameOf(IXMLDOMNode* node) {
  Bstr text;
  node->get_baseName(text.put());
  return text.text();
}

Text NameOf(IXMLDOMNode* node) {
  Bstr text;
  node->get_nodeName(text.put());
  return text.text();
}

ViewElement ElementOf(IXMLDOMNode* element) {
  ViewElement viewed{NamespaceOf(element), LocalNameOf(element), {}};
  ComPtr<IXMLDOMNamedNodeMap> attributes;
  long count = 0;
  if (FAILED(element->get_attributes(attributes.put())) || !attributes || FAILED(attributes->get_length(&count))) {
    return viewed;
  }
  for (long i = 0; i < count; ++i) {
    ComPtr<IXMLDOMNode> attribute;
    if (FAILED(attributes->get_item(i, attribute.put())) || !attribute) continue;
    const Text name = NameOf(attribute.get());
    // Declarations of namespaces are the parse's business, already in every name's namespace.
    if (name == u"xmlns" || TextView(name).starts_with(u"xmlns:")) continue;
    ViewAttribute entry{NamespaceOf(attribute.get()), LocalNameOf(attribute.get()), {}};
    // The xml prefix is bound by definition; not every implementation says so.
    if (entry.space.empty() && TextView(name).starts_with(u"xml:")) entry.space = kXmlNamespace;
    Bstr value;
    attribute->get_text(value.put());
    entry.value = value.text();
    viewed.attributes.push_back(std::move(entry));
  }
  return viewed;
}

}  // namespace

ModuleView ViewOf(IXMLDOMDocument2* document) {
  ModuleView view;
  // Depth first, in document order, without recursion: the next node to look at on each level.
  std::vector<ComPtr<IXMLDOMNode>> next;
  ComPtr<IXMLDOMNode> first;
  if (SUCCEEDED(document->get_firstChild(first.put())) && first) next.push_back(std::move(first));
  while (!next.empty()) {
    ComPtr<IXMLDOMNode> node = std::move(next.back());
    next.pop_back();
    ComPtr<IXMLDOMNode> sibling;
    if (SUCCEEDED(node->get_nextSibling(sibling.put())) && sibling) next.push_back(std::move(sibling));
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    if (type == NODE_ELEMENT) view.push_back(ElementOf(node.get()));
    ComPtr<IXMLDOMNode> child;
    if (type != NODE_ATTRIBUTE && SUCCEEDED(node->get_firstChild(child.put())) && child) {
      next.push_back(std::move(child));
    }
  }
  return view;
}

}  // namespace rt
