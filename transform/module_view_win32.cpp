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

Text NameOf(IXMLDOMNode* node) {
  Bstr text;
  node->get_nodeName(text.put());
  return text.text();
}

// The local part of a qualified name (a name has one colon at most once it is parsed).
Text Local(const Text& name) { return name.substr(name.find(u':') + 1); }

ViewElement ElementOf(IXMLDOMNode* element) {
  ViewElement viewed{NamespaceOf(element), Local(NameOf(element)), {}};
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
    ViewAttribute entry{NamespaceOf(attribute.get()), Local(name), {}};
    // The xml prefix is bound by definition; not every implementation says so.
    if (entry.space.empty() && TextView(name).starts_with(u"xml:")) entry.space = kXmlNamespace;
    Bstr value;
    attribute->get_text(value.put());
    entry.value = value.text();
    viewed.attributes.push_back(std::move(entry));
  }
  return viewed;
}

// Whether an element holds an element, or text beyond white space.
bool Empty(IXMLDOMNode* element) {
  ComPtr<IXMLDOMNode> child;
  element->get_firstChild(child.put());
  while (child) {
    DOMNodeType type = NODE_INVALID;
    child->get_nodeType(&type);
    if (type == NODE_ELEMENT) return false;
    if (type == NODE_TEXT || type == NODE_CDATA_SECTION) {
      Bstr text;
      child->get_text(text.put());
      for (const char16_t c : text.text()) {
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
      }
    }
    ComPtr<IXMLDOMNode> next;
    child->get_nextSibling(next.put());
    child = std::move(next);
  }
  return true;
}

}  // namespace

ModuleView ViewOf(IXMLDOMDocument2* document) {
  ModuleView view;
  // Depth first, in document order, without recursion: the next node to look at on each level,
  // and how many elements hold it.
  std::vector<std::pair<ComPtr<IXMLDOMNode>, std::size_t>> next;
  ComPtr<IXMLDOMNode> first;
  if (SUCCEEDED(document->get_firstChild(first.put())) && first) next.emplace_back(std::move(first), 0);
  while (!next.empty()) {
    auto [node, depth] = std::move(next.back());
    next.pop_back();
    ComPtr<IXMLDOMNode> sibling;
    if (SUCCEEDED(node->get_nextSibling(sibling.put())) && sibling) next.emplace_back(std::move(sibling), depth);
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    if (type == NODE_ELEMENT) {
      view.push_back(ElementOf(node.get()));
      view.back().depth = depth;
      // Only a variable's or parameter's emptiness tells anything (its value).
      const ViewElement& added = view.back();
      if (added.local == u"variable" || added.local == u"param") view.back().empty = Empty(node.get());
    }
    ComPtr<IXMLDOMNode> child;
    if (type != NODE_ATTRIBUTE && SUCCEEDED(node->get_firstChild(child.put())) && child) {
      next.emplace_back(std::move(child), type == NODE_ELEMENT ? depth + 1 : depth);
    }
  }
  return view;
}

}  // namespace rt
