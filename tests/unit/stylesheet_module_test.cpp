#include <gtest/gtest.h>

#include <map>

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

// Files beside the module, each found relative to the file that names it; "../" is refused.
TEST(PrepareModule, ReadsTheFilesItsDtdNames) {
  const std::map<std::string, std::string> files = {
      {"s/e.ent", "<?xml version='1.0' encoding='windows-1251'?><b>\xC4</b>"},
      {"s/t.ent", "<?xml encoding='utf-8'?>\r\nt\r\n"},
      {"s/p.ent", "<!--> <!ENTITY q 'no'> --><!ENTITY q 'Q'><!ENTITY % n SYSTEM 'sub/n.ent'>\n%n;"},
      {"s/sub/n.ent", "<!ENTITY % i PUBLIC '-//i' 'i.ent'>%i;"},
      {"s/sub/i.ent", "<!ENTITY r 'R'>"},
      {"s/c.ent", "<!ENTITY % c SYSTEM 'c.ent'>%c;"},
      {"s/a.ent", "\n <!ATTLIST s a CDATA 'x'>"},
      {"s/m.ent", "\n<!ENTITY x>"},
  };
  const FileFetcher fetch = [&files](TextView id, TextView base) {
    FetchedFile file{FetchOutcome::kRefused, Concat({base.substr(0, base.rfind(u'/') + 1), id}), {}, u"нет файла"};
    const auto found = files.find(Narrow(file.path));
    if (!id.starts_with(u"..")) file.outcome = found == files.end() ? FetchOutcome::kUnreadable : FetchOutcome::kRead;
    if (found != files.end()) file.bytes = found->second;
    return file;
  };
  const Text by = u", который читает DTD таблицы стилей s/m.xsl";
  const struct {
    std::string document, prepared;
    Text refusal;
  } cases[] = {
      {"<?xml version='1.0' encoding='windows-1251'?><!DOCTYPE s [<!ENTITY e SYSTEM 'e.ent'>]><s>&e;</s>",
       "<?xml version='1.0' encoding='windows-1251'?><s><b>\xC4</b></s>", u""},
      {"<!DOCTYPE s [<!ENTITY t SYSTEM 't.ent'>]><s>&t;</s>", "<s>\nt\n</s>", u""},
      {"<!DOCTYPE s [<!ENTITY % p SYSTEM 'p.ent'>%p;]><s>&q;&r;</s>", "<s>QR</s>", u""},
      {"<!DOCTYPE s SYSTEM 'sub/i.ent' [<!ENTITY r 'first'>]><s>&r;</s>", "<s>first</s>", u""},
      {"<!DOCTYPE s [<!ENTITY e SYSTEM '../e.ent'>]><s/>", "",
       u"DTD таблицы стилей s/m.xsl ссылается на файл ../e.ent, а программа читает для DTD только файлы "
       u"рядом с таблицей стилей"},
      {"<!DOCTYPE s [<!ENTITY % p SYSTEM 'no.ent'>%p;]><s/>", "",
       u"Не удалось прочитать файл s/no.ent" + by + u": нет файла"},
      {"<!DOCTYPE s [<!ENTITY % c SYSTEM 'c.ent'>%c;]><s/>", "",
       u"В файле s/c.ent" + by + u", параметрическая сущность c ссылается сама на себя, прямо или через другие файлы"},
      {"<!DOCTYPE s [<!ENTITY t SYSTEM 't.ent'>]><s a='&t;'/>", "",
       u"В таблице стилей s/m.xsl внешняя сущность t стоит в значении атрибута, а в XML так нельзя"},
      {"<!DOCTYPE s [<!ENTITY e SYSTEM 'e.ent'>]><s/>", "",
       u"Файл s/e.ent" + by +
           u", записан в кодировке windows-1251; встроенная конвертация берёт из такого файла только текст "
           u"ASCII или текст в кодировке самой таблицы стилей"},
      {"<!DOCTYPE s SYSTEM 'a.ent'><s/>", "",
       u"В файле s/a.ent" + by + u", в DTD объявлены атрибуты (ATTLIST), а программа принимает в DTD только сущности"},
      {"<!DOCTYPE s [<!ENTITY % m SYSTEM 'm.ent'>%m;]><s/>", "",
       u"Ошибка в файле s/m.ent" + by + u", строка 2, позиция 11: ошибка в объявлении DTD"},
      {"<!DOCTYPE s [<!ENTITY i SYSTEM 'i.gif' NDATA gif>]><s/>", "",
       u"В таблице стилей s/m.xsl объявлена неразбираемая внешняя сущность i (NDATA), а такие сущности программа не "
       u"читает"},
  };
  for (const auto& c : cases) {
    const PreparedModule module = PrepareModule(c.document, u"s/m.xsl", fetch);
    EXPECT_EQ(module.refusal, c.refusal) << c.document;
    if (c.refusal.empty()) {
      EXPECT_EQ(BytesOf(module.units.text, module.units.form), c.prepared) << c.document;
    }
  }
}

}  // namespace
}  // namespace rt
