#include "transform/xslt/document_function.h"

#include <libxml/xpathInternals.h>
#include <libxslt/functions.h>

#include <string>

namespace rt {
namespace {

xmlChar* Escaped(const xmlChar* address) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const xmlChar* at = address; *at != 0; ++at) {
    if (*at < 0x80) {
      escaped += static_cast<char>(*at);
    } else {
      escaped += '%';
      escaped += kHex[*at >> 4];
      escaped += kHex[*at & 0xF];
    }
  }
  return xmlStrdup(reinterpret_cast<const xmlChar*>(escaped.c_str()));
}

}  // namespace

void DocumentFunction(xmlXPathParserContextPtr parser, int count) {
  if (count < 1 || count > 2 || parser->value == nullptr || (count == 2 && parser->value->type != XPATH_NODESET)) {
    xsltDocumentFunction(parser, count);  // which tells what is wrong
    return;
  }
  xmlXPathObjectPtr base = count == 2 ? valuePop(parser) : nullptr;
  // Each node's value is an address, resolved against that node's base unless one is given.
  if (parser->value->type == XPATH_NODESET) {
    xmlXPathObjectPtr nodes = valuePop(parser);
    xmlXPathObjectPtr documents = xmlXPathNewNodeSet(nullptr);
    for (int i = 0; nodes->nodesetval != nullptr && i < nodes->nodesetval->nodeNr && parser->error == 0; ++i) {
      valuePush(parser, xmlXPathNewNodeSet(nodes->nodesetval->nodeTab[i]));
      xmlXPathStringFunction(parser, 1);
      valuePush(parser, base != nullptr ? xmlXPathObjectCopy(base) : xmlXPathNewNodeSet(nodes->nodesetval->nodeTab[i]));
      DocumentFunction(parser, 2);
      xmlXPathObjectPtr found = valuePop(parser);
      if (found != nullptr) documents->nodesetval = xmlXPathNodeSetMerge(documents->nodesetval, found->nodesetval);
      xmlXPathFreeObject(found);
    }
    xmlXPathFreeObject(nodes);
    xmlXPathFreeObject(base);
    valuePush(parser, documents);
    return;
  }
  xmlXPathStringFunction(parser, 1);
  if (parser->value != nullptr && parser->value->type == XPATH_STRING && parser->value->stringval != nullptr) {
    xmlXPathObjectPtr address = valuePop(parser);
    valuePush(parser, xmlXPathWrapString(Escaped(address->stringval)));
    xmlXPathFreeObject(address);
  }
  if (base != nullptr) valuePush(parser, base);
  xsltDocumentFunction(parser, base != nullptr ? 2 : 1);
}

}  // namespace rt
