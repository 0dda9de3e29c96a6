#include "transform/xslt/document_function.h"

#include <libxml/uri.h>
#include <libxml/xpathInternals.h>
#include <libxslt/functions.h>

#include <string>

#include "transform/xslt/file_addresses.h"
#include "transform/xslt/read_guard.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {
namespace {

std::string Escaped(const xmlChar* written) {
  const std::string windows =
      AddressOfWindowsPath(reinterpret_cast<const char*>(written), kHostPathStyle).value_or(std::string());
  const xmlChar* address = windows.empty() ? written : BAD_CAST windows.c_str();
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
  return escaped;
}

bool Resolvable(const std::string& address) {
  xmlURIPtr uri = xmlCreateURI();
  const bool parsed = uri != nullptr && xmlParseURIReference(uri, address.c_str()) == 0;
  xmlFreeURI(uri);
  return parsed;
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
    xmlXPathObjectPtr written = valuePop(parser);
    const std::string address = Escaped(written->stringval);
    if (!Resolvable(address)) {
      if (ReadGuard* guard = ReadGuard::Current()) {
        ReadDecision refused;
        refused.address = reinterpret_cast<const char*>(written->stringval);
        refused.why = NotALocalFileWhy();
        guard->Refuse(std::move(refused));
      }
      xmlXPathFreeObject(written);
      xmlXPathFreeObject(base);
      valuePush(parser, xmlXPathNewNodeSet(nullptr));
      return;
    }
    valuePush(parser, xmlXPathWrapString(xmlStrdup(BAD_CAST address.c_str())));
    xmlXPathFreeObject(written);
  }
  if (base != nullptr) valuePush(parser, base);
  xsltDocumentFunction(parser, base != nullptr ? 2 : 1);
}

}  // namespace rt
