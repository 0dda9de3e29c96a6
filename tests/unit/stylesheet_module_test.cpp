#include <gtest/gtest.h>

#include "transform/documents/document_function_call.h"
#include "transform/documents/module_preparation.h"

namespace rt {
namespace {

std::string Narrow(TextView text) { return BytesOf(text, UnitForm::kBytes); }

// Attributes of XSLT's own elements are read as expressions and as templates.
TEST(CallsDocumentFunction, XsltAttributesAreReadBothWays) {
  const struct {
    TextView value;
    AttributeHolds holds;
    bool calls;
  } cases[] = {
      {u"urn:x'{document('file:///c:/s.txt')}", AttributeHolds::kExpression, true},
      {u"{document('a')/x}", AttributeHolds::kExpression, true},
      {u"urn:x'{document('a')}", AttributeHolds::kTemplate, true},
      {u"concat('{', name())", AttributeHolds::kExpression, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallsDocumentFunction(c.value, c.holds), c.calls) << std::string(c.value.begin(), c.value.end());
  }
}

constexpr char kOpen[] = "<x:stylesheet version='1.0' xmlns:x='http://www.w3.org/1999/XSL/Transform'";

TEST(ScanStylesheetModule, FindsScriptsDocumentCallsAndModules) {
  const struct {
    std::string text;
    RefusedUse refused;
    std::vector<std::string> hrefs;
  } cases[] = {
      {std::string(kOpen) + "><x:include href='a.xsl'/><x:import href=\"b&amp;%20.xsl\"/></x:stylesheet>",
       RefusedUse::kNone,
       {"a.xsl", "b&%20.xsl"}},
      {std::string(kOpen) + " xmlns:m='urn:schemas-microsoft-com:xslt'><m:script>f</m:script></x:stylesheet>",
       RefusedUse::kScript,
       {}},
      {std::string(kOpen) + "><s:script xmlns:s='urn:schemas-microsoft-com:xslt'/></x:stylesheet>",
       RefusedUse::kScript,
       {}},
      {std::string(kOpen) + "><script/><x:script/></x:stylesheet>", RefusedUse::kNone, {}},
      {std::string(kOpen) + "><x:template match='/'><x:element name=\"urn:x'{document('s')}\"/></x:template>"
                            "</x:stylesheet>",
       RefusedUse::kDocumentFunction,
       {}},
      {std::string(kOpen) + "><x:template match='/'><out v='{document(&apos;s&apos;)}'/></x:template></x:stylesheet>",
       RefusedUse::kDocumentFunction,
       {}},
      {std::string(kOpen) + "><x:template match='/'><out v='document(1)'/><!-- <x:include href='c'/> -->"
                            "<![CDATA[<x:include href='d'/>]]></x:template></x:stylesheet>",
       RefusedUse::kNone,
       {}},
      {"<s xmlns='http://www.w3.org/1999/XSL/Transform'><include href='e.xsl'/><t xmlns='urn:o'><include "
       "href='f'/></t></s>",
       RefusedUse::kNone,
       {"e.xsl"}},
      {"<x:include href='g' xmlns:x='http://www.w3.org/1999/XSL/Transform'/><x:include href='h'/>",
       RefusedUse::kNone,
       {"g"}},
  };
  for (const auto& c : cases) {
    const Text text = UnitsOf(c.text).text;
    const ModuleScan scan = ScanStylesheetModule(text);
    EXPECT_EQ(scan.refused, c.refused) << c.text;
    std::vector<std::string> hrefs;
    for (const ModuleReference& reference : scan.references) hrefs.push_back(Narrow(reference.href));
    EXPECT_EQ(hrefs, c.hrefs) << c.text;
  }
}

TEST(ScanStylesheetModule, LeavesUnreadWhatItCannotReadExactly) {
  const char* const unread[] = {"<!DOCTYPE s><s/>",
                                "<s a=b/>",
                                "<s><!ELEMENT s ANY></s>",
                                "<s>&nbsp;</s>",
                                "<p:s/>",
                                "<s p:a='1'/>",
                                "<s xmlns:p=''/>",
                                "<s><!-- a -- b --></s>",
                                "<s><?xml x?></s>",
                                "<?xml encoding='utf-8'?><s/>",
                                "<s>\x01</s>"};
  for (const char* text : unread) EXPECT_TRUE(ScanStylesheetModule(UnitsOf(text).text).unreadable) << text;
}

TEST(ModuleInCircle, FindsAModuleThatPullsItselfIn) {
  using Modules = std::vector<std::vector<std::size_t>>;
  const struct {
    Modules pulledIn;
    std::optional<std::size_t> circle;
  } cases[] = {
      {{{1, 2}, {2}, {}}, std::nullopt},  // one module pulled in twice is no circle
      {{{0}}, 0},
      {{{1}, {2}, {1}}, 1},
      {{{}, {2}, {3}, {1}}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ModuleInCircle(c.pulledIn), c.circle);
}

TEST(PrepareModule, GivesTheLibraryTheTextWithoutDtdAndModulesRenamed) {
  const std::string original =
      "<?xml version='1.0' encoding='windows-1251'?>\r\n<!DOCTYPE x:stylesheet [\r\n"
      "<!ENTITY nbsp '&#160;'><!ENTITY dir 'sub'>]>\r\n" +
      std::string(kOpen) + "><x:include href='&dir;/\xC4.xsl'/>&nbsp;</x:stylesheet>";
  const PreparedModule module = PrepareModule(original, u"C:\\s\\main.xsl");
  EXPECT_TRUE(module.refusal.empty());
  ASSERT_EQ(module.scan.references.size(), 1u);
  EXPECT_EQ(Narrow(module.scan.references[0].href), "sub/\xC4.xsl");
  const Text renamed[] = {u"m1.xsl"};
  EXPECT_EQ(BytesOf(WithHrefs(module.units.text, module.scan.references, renamed), module.units.form),
            "<?xml version='1.0' encoding='windows-1251'?>\r\n\r\n\r\n" + std::string(kOpen) +
                "><x:include href='m1.xsl'/>&#160;</x:stylesheet>");

  EXPECT_EQ(PrepareModule("<!DOCTYPE s SYSTEM 's.dtd'><s/>", u"C:\\s\\main.xsl").refusal,
            u"В таблице стилей C:\\s\\main.xsl DTD ссылается на внешний файл, а внешние файлы программа не читает");
  EXPECT_EQ(PrepareModule("<!DOCTYPE s [\n<!ENTITY e x>]><s/>", u"C:\\m.xsl").refusal,
            u"Ошибка в таблице стилей C:\\m.xsl, строка 2, позиция 12: ошибка в объявлении DTD");
  EXPECT_EQ(PrepareModule("<?xml version='1.0' encoding='GBK'?><s/>", u"C:\\m.xsl").refusal,
            u"Таблица стилей C:\\m.xsl записана в кодировке GBK, которую встроенная конвертация не читает; сохраните "
            u"её в UTF-8 или windows-1251");
  EXPECT_EQ(PrepareModule("<s>\n <t a='&;'/></s>", u"C:\\m.xsl").refusal,
            u"Ошибка в таблице стилей C:\\m.xsl, строка 2, позиция 8: разметка, которую встроенная конвертация не "
            u"читает так же, как библиотека XML");
}

}  // namespace
}  // namespace rt
