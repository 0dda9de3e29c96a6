#include "transform/xml_support/document_disposal.h"

#include <libxml/tree.h>

#include <vector>

namespace rt {
namespace {

bool g_holding = false;
std::vector<xmlDoc*> g_held;

}  // namespace

void LetGoOfDocument(xmlDoc* document) {
  if (document == nullptr) return;
  if (g_holding) {
    g_held.push_back(document);
  } else {
    xmlFreeDoc(document);
  }
}

void HoldDocumentsLetGo() { g_holding = true; }

void FreeHeldDocuments() {
  for (xmlDoc* document : g_held) xmlFreeDoc(document);
  g_held.clear();
}

}  // namespace rt
