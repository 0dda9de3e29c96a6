// The program's own reading of a stylesheet module beside libxml2's, over documents that are
// easily read differently: any difference fails, unless the program refuses the document.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <map>

#include "transform/documents/module_preparation.h"

namespace rt {
namespace {

Text Viewed(const xmlChar* utf8) {
  Text text;
  for (; utf8 != nullptr && *utf8 != 0; ++utf8) {
    if ((*utf8 & 0xC0) != 0x80) text.push_back(*utf8 < 0x80 ? *utf8 : kNonAsciiStandIn);
  }
  return text;
}

void AddElements(const xmlNode* node, ModuleView& view) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    ViewElement element{Viewed(node->ns ? node->ns->href : nullptr), Viewed(node->name), {}};
    for (const xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
      xmlChar* value = xmlNodeGetContent(reinterpret_cast<const xmlNode*>(attribute));
      element.attributes.push_back(
          {Viewed(attribute->ns ? attribute->ns->href : nullptr), Viewed(attribute->name), Viewed(value)});
      xmlFree(value);
    }
    view.push_back(std::move(element));
    AddElements(node->children, view);
  }
}

// libxml2's view, with the entities of the DTD replaced; empty when not well-formed.
ModuleView LibraryView(const std::string& bytes) {
  xmlDoc* document =
      xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                    XML_PARSE_NOENT | XML_PARSE_DTDLOAD | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  ModuleView view;
  if (document != nullptr) AddElements(xmlDocGetRootElement(document), view);
  xmlFreeDoc(document);
  return view;
}

std::string Printed(const ModuleView& view) {
  Text printed;
  for (const ViewElement& element : view) {
    printed += Concat({u"\n{", element.space, u"}", element.local});
    for (const ViewAttribute& a : element.attributes) printed += Concat({u" {", a.space, u"}", a.local, u"=", a.value});
  }
  return BytesOf(printed, UnitForm::kBytes);
}

std::string Stylesheet(const std::string& body) {
  return "<x:stylesheet version='1.0' xmlns:x='http://www.w3.org/1999/XSL/Transform'" + body + "</x:stylesheet>";
}

// Files a DTD names, beside the module, for both readers.
const std::map<std::string, std::string> kDtdFiles = {
    {"p.ent", "<!--> <!ENTITY d 'x'> --><!ENTITY d 'document'><!ENTITY % i SYSTEM 'i.ent'>%i;"},
    {"i.ent", "<?xml encoding='UTF-8'?><!ENTITY t SYSTEM 't.ent'>"},
    {"t.ent", "<?xml version='1.0' encoding='utf-8'?><o a='&d;'/><!--> <x:include href='n'/> -->"},
};

TEST(ModuleReader, ReadsAsLibxml2OrRefuses) {
  xmlSetExternalEntityLoader([](const char* url, const char*, xmlParserCtxtPtr context) -> xmlParserInputPtr {
    const auto found = kDtdFiles.find(url);
    if (found == kDtdFiles.end()) return nullptr;
    const std::string& bytes = found->second;
    return xmlNewIOInputStream(
        context, xmlParserInputBufferCreateMem(bytes.data(), static_cast<int>(bytes.size()), XML_CHAR_ENCODING_NONE),
        XML_CHAR_ENCODING_NONE);
  });
  const FileFetcher fetch = [](TextView id, TextView) {
    const auto found = kDtdFiles.find(BytesOf(id, UnitForm::kBytes));
    return found == kDtdFiles.end() ? FetchedFile{} : FetchedFile{FetchOutcome::kRead, Text(id), found->second, {}};
  };
  const auto secondByteBrace = [](const std::string& encoding, const std::string& character) {
    return "<?xml version='1.0' encoding='" + encoding + "'?>" +
           Stylesheet("><x:template match='/'><o v=\"{x" + character + " | document('s')}\"/></x:template>");
  };
  const struct {
    std::string document;
    bool read;           // by the program: its encoding and markup read exactly
    RefusedUse refused;  // by the checks of both views
  } cases[] = {
      {Stylesheet("><!--> <y xmlns:x='urn:other'> --><x:template match='/'><x:value-of "
                  "select=\"document('file:///C:/secret.xml')\"/></x:template>"),
       true, RefusedUse::kDocumentFunction},
      {Stylesheet("><!---> <y xmlns:x='urn:o'> --><!----><x:include href='a.xsl'/><x:key use='document(1)'/>"), true,
       RefusedUse::kDocumentFunction},
      {Stylesheet("><?p <x:include href='p'/> ?><x:template match='/'><![CDATA[<x:include href='c'/>]] ]>]]>"
                  "<o a='1'/></x:template>"),
       true, RefusedUse::kNone},
      {Stylesheet("><o a=\"&quot;&apos;&lt;&gt;&amp;&#x27;&#39;&#160;&#x10437;\" b='&quot;\"&apos;' c='&#9;&#13;'/>"),
       true, RefusedUse::kNone},
      {Stylesheet("><x:template match='/'><x:value-of select='\"&quot;, document(1), &quot;\"'/></x:template>"), true,
       RefusedUse::kDocumentFunction},
      {Stylesheet("><t xmlns:x='urn:o'><x:include href='no'/></t><t xmlns='http://www.w3.org/1999/XSL/Transform'>"
                  "<include href='yes'/><u xmlns=''><include href='no'/></u></t><x:import x:href='n' href='i' "
                  "xml:lang='ru'/>"),
       true, RefusedUse::kNone},
      {Stylesheet("><o a='x > y/>' b=\"1\t2\r\n3\r4\n5\" \r\n c = 'd' />"), true, RefusedUse::kNone},
      {BytesOf(u"\xFEFF<?xml version='1.0' encoding='UTF-16'?><д:s xmlns:д='urn:д' a='ж&#x10437;\U00010437'/>",
               UnitForm::kUtf16Le),
       true, RefusedUse::kNone},
      {BytesOf(u"\xFEFF<s a='ж\U00010437&#1078;'/>", UnitForm::kUtf16Be), true, RefusedUse::kNone},
      {"\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?><д:s xmlns:д='urn:д' a='жж\xF0\x90\x90\xB7&#1078;'/>", true,
       RefusedUse::kNone},
      {"<?xml version='1.0' encoding='windows-1251'?>\n<?xml-stylesheet href='x'?><s a='\xC4\xE0\xB8&#1078;'/>", true,
       RefusedUse::kNone},
      {secondByteBrace("GBK", "\x81\x7D"), false, RefusedUse::kDocumentFunction},
      {secondByteBrace("Shift_JIS", "\x81\x7D"), false, RefusedUse::kDocumentFunction},
      {secondByteBrace("Big5", "\xA4\x7D"), false, RefusedUse::kDocumentFunction},
      {Stylesheet("><x:include href='a.xsl' xml:base='file:///C:/other/'/>"), true, RefusedUse::kBase},
      {"<!DOCTYPE x:stylesheet [<!ENTITY d 'document'><!--> <!ENTITY d 'x'> --><!ENTITY n '\n\r'>"
       "<!ENTITY c '<!-- &#38;d; -->'>]>" +
           Stylesheet("><!--> &c; --><x:template match='/' n='\r&n;\n'>&c;<x:value-of select=\"&d;('s')\"/>"
                      "</x:template>"),
       true, RefusedUse::kDocumentFunction},
      {"<?xml version='1.1'?><s/>", false, RefusedUse::kNone},
      {"<!DOCTYPE x:stylesheet SYSTEM 'i.ent' [<!ENTITY % p SYSTEM 'p.ent'>%p;]>" +
           Stylesheet("><x:template match='/'>&t;<x:value-of select=\"&d;('s')\"/></x:template>"),
       true, RefusedUse::kDocumentFunction},
  };
  for (const auto& c : cases) {
    const ModuleView library = LibraryView(c.document);
    ASSERT_FALSE(library.empty()) << c.document;
    EXPECT_EQ(CheckModuleView(library).refused, c.refused) << c.document;
    const PreparedModule module = PrepareModule(c.document, u"C:\\m.xsl", fetch);
    EXPECT_EQ(!module.scan.unreadable && !module.scan.view.empty(), c.read) << c.document;
    if (!c.read) continue;
    EXPECT_EQ(Printed(module.scan.view), Printed(library)) << c.document;
    EXPECT_EQ(Printed(LibraryView(BytesOf(module.units.text, module.units.form))), Printed(library)) << c.document;
    std::vector<Text> hrefs;
    for (const ModuleReference& reference : module.scan.references) hrefs.push_back(reference.href);
    EXPECT_EQ(hrefs, CheckModuleView(library).hrefs) << c.document;
  }
}

}  // namespace
}  // namespace rt
