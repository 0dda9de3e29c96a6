#include <gtest/gtest.h>

#include "transform/documents/xml_encoding.h"
#include "transform/documents/xml_entities.h"
#include "transform/documents/xml_units.h"

namespace rt {
namespace {

std::string Narrow(TextView text) { return BytesOf(text, UnitForm::kBytes); }

const struct {
  std::string bytes;
  PrologEnd end;
} kPrologs[] = {
    {"<!DOCTYPE a><a/>", PrologEnd::kDoctype},
    {"\xEF\xBB\xBF<?xml version='1.0'?>\r\n<!-- c -->\n<?pi x?> \t<!DOCTYPE a>", PrologEnd::kDoctype},
    {"<?xml version='1.0' encoding='windows-1251'?><a/>", PrologEnd::kElementOrOther},
    {"<!-- <!DOCTYPE a> --><a/>", PrologEnd::kElementOrOther},
    {"<?pi <!DOCTYPE a> ?><a>", PrologEnd::kElementOrOther},
    {"junk", PrologEnd::kElementOrOther},
    {"<?xml version='1.0'?>\r\n<!DOC", PrologEnd::kUnknown},  // a longer head decides
    {"<!-- long comment", PrologEnd::kUnknown},
    {"", PrologEnd::kUnknown},
    {std::string("\xFF\xFE<\0!\0D\0O\0C\0T\0Y\0P\0E\0 \0a\0>\0", 24), PrologEnd::kDoctype},
    {std::string("\0<\0?\0x\0?\0>\0<\0!\0D\0O\0C\0T\0Y\0P\0E\0 \0a\0>", 31), PrologEnd::kDoctype},
    {std::string("\xFE\xFF\0<\0a\0>", 8), PrologEnd::kElementOrOther},
    {"<!--><!DOCTYPE a>", PrologEnd::kUnknown},  // "-->" counts only after the "<!--"
    {"<!---><!DOCTYPE a>", PrologEnd::kUnknown},
    {"<!----><!DOCTYPE a>", PrologEnd::kDoctype},
    {"<?><!DOCTYPE a>", PrologEnd::kUnknown},
};

TEST(ScanProlog, FindsADoctypeBehindWhatMayComeFirst) {
  for (const auto& c : kPrologs) EXPECT_EQ(ScanProlog(UnitsOf(c.bytes).text).end, c.end) << c.bytes;
}

// Fed in chunks of every size, in its own form and as UTF-16 of both orders, a file's head is
// decided as its whole text is.
TEST(PrologReader, DecidesAsTheWholeText) {
  for (const auto& c : kPrologs) {
    const Text marked = u"\xFEFF" + UnitsOf(c.bytes).text;
    for (const std::string& bytes :
         {c.bytes, BytesOf(marked, UnitForm::kUtf16Le), BytesOf(marked, UnitForm::kUtf16Be)}) {
      const PrologEnd whole = ScanProlog(UnitsOf(bytes).text).end;
      for (std::size_t chunk = 1; chunk <= bytes.size(); ++chunk) {
        PrologReader reader;
        for (std::size_t at = 0; at < bytes.size(); at += chunk) reader.Feed(std::string_view(bytes).substr(at, chunk));
        EXPECT_EQ(reader.Finish().end, whole) << c.bytes << " in chunks of " << chunk;
      }
    }
  }
}

TEST(UnitsOf, GiveTheSameBytesBack) {
  for (const std::string& bytes : {std::string("<a>\xCF\xF0\xE8</a>"), std::string("\xFF\xFE<\0\x1F\x04>\0", 6),
                                   std::string("\xFE\xFF\0<\x04\x1F\0>", 8)}) {
    const XmlUnits units = UnitsOf(bytes);
    EXPECT_EQ(BytesOf(units.text, units.form), bytes);
  }
}

TEST(EncodingOf, TellsTheLibrarysEncodingAndWhetherTheProgramReadsIt) {
  const auto declared = [](const char* name) { return std::string("<?xml version='1.0' encoding='") + name + "'?>"; };
  for (const char* name : {"Windows-1251", "KOI8-R", "iso-8859-5", "CP866", "utf-8"}) {
    EXPECT_TRUE(EncodingOf(declared(name)).readable) << name;
  }
  for (const char* name :
       {"GBK", "EUC-KR", "ISO-2022-JP", "HZ-GB-2312", "UTF-7", "UTF-16", "iso-8859-12", "x-unknown"}) {
    EXPECT_FALSE(EncodingOf(declared(name)).readable) << name;
  }
  const struct {
    std::string bytes;
    const char16_t* name;
    bool readable;
  } cases[] = {
      {"<?xml version = \"1.0\" encoding = \"Windows-1251\" standalone='yes'?>", u"Windows-1251", true},
      {"\xEF\xBB\xBF" + declared("windows-1251"), u"windows-1251", false},
      {"<?xml encoding='GBK'?><s/>", u"GBK", false},
      {BytesOf(u"<?xml version='1.0' encoding='UTF-16'?>", UnitForm::kUtf16Le), u"UTF-16", true},
      {BytesOf(u"<s/>", UnitForm::kUtf16Le), u"UTF-16", false},
      {BytesOf(u"\xFEFF<?xml version='1.0' encoding='windows-1251'?>", UnitForm::kUtf16Le), u"windows-1251", false},
      {std::string("<\0\0\0?\0\0\0", 8), u"UTF-32", false},
      {std::string("\0\0\xFE\xFF\0\0\0<", 8), u"UTF-32", false},
      {"\x4C\x6F\xA7\x94", u"EBCDIC", false},
  };
  for (const auto& c : cases) {
    const DocumentEncoding encoding = EncodingOf(c.bytes);
    EXPECT_EQ(encoding.name, c.name) << c.bytes;
    EXPECT_EQ(encoding.readable, c.readable) << c.bytes;
  }
}

// The DOCTYPE goes (its line breaks stay), entities are put in where they are referred to.
TEST(WithoutDoctype, PutsTheDeclaredEntitiesIn) {
  const struct {
    const char* what;
    std::string document, expected;
  } cases[] = {
      {"character reference", "<!DOCTYPE s [\r\n<!ENTITY nbsp \"&#160;\">\r\n]>\r\n<s>a&nbsp;b</s>",
       "\r\n\r\n\r\n<s>a&#160;b</s>"},
      {"after the declaration", "<?xml version='1.0'?><!DOCTYPE s [<!ENTITY e 'x'>]><s/>", "<?xml version='1.0'?><s/>"},
      {"markup in the value", "<!DOCTYPE s [<!ENTITY b '<b k=\"v\">&#38;#38;</b>'>]><s>&b;</s>",
       "<s><b k=\"v\">&#38;</b></s>"},
      {"in an attribute, quotes are data", "<!DOCTYPE s [<!ENTITY q '\"&#39;&#9;'>]><s a=\"&q;\" b='&q;'/>",
       "<s a=\"&#34;&#39; \" b='&#34;&#39; '/>"},
      {"nested", "<!DOCTYPE s [<!ENTITY a 'A&b;'><!ENTITY b 'B'>]><s t='&a;'>&a;&b;</s>", "<s t='AB'>ABB</s>"},
      {"first declaration binds, predefined stay",
       "<!DOCTYPE s [<!ENTITY e '1'><!ENTITY e '2'><!ENTITY lt 'x'>]><s>&e;&lt;&amp;&#60;</s>",
       "<s>1&lt;&amp;&#60;</s>"},
      {"not in comments, instructions, sections or undeclared",
       "<!DOCTYPE s [<!ENTITY e 'x'>]><s><!--&e;--><?p &e;?><![CDATA[&e;]]>&u;</s>",
       "<s><!--&e;--><?p &e;?><![CDATA[&e;]]>&u;</s>"},
      {"element, notation, comment and instruction declarations",
       "<!DOCTYPE s [<!ELEMENT s ANY><!NOTATION n SYSTEM 'n>'><!-- ] --><?p ]?>]><s/>", "<s/>"},
      {"no DOCTYPE", "<s a='&e;'/>", "<s a='&e;'/>"},
  };
  for (const auto& c : cases) {
    const XmlUnits units = UnitsOf(c.document);
    const Doctype doctype = ReadDoctype(units.text);
    EXPECT_EQ(doctype.problem, DtdProblem::kNone) << c.what;
    const Expansion expansion = WithoutDoctype(units.text, doctype);
    EXPECT_EQ(expansion.problem, ExpansionProblem::kNone) << c.what;
    EXPECT_EQ(Narrow(expansion.text), c.expected) << c.what;
  }
}

TEST(ReadDoctype, RefusesWhatWouldBeFetchedOrChangeTheDocument) {
  const struct {
    const char* document;
    DtdProblem problem;
    const char16_t* entity;
  } cases[] = {
      {"<!DOCTYPE s SYSTEM 'x.dtd'><s/>", DtdProblem::kExternalSubset, u""},
      {"<!DOCTYPE s PUBLIC '-//x' 'x.dtd' [<!ENTITY e 'x'>]><s/>", DtdProblem::kExternalSubset, u""},
      {"<!DOCTYPE s [<!ENTITY e SYSTEM 'file:///c:/secret.txt'>]><s/>", DtdProblem::kExternalEntity, u"e"},
      {"<!DOCTYPE s [<!ENTITY i SYSTEM 'i.gif' NDATA gif>]><s/>", DtdProblem::kExternalEntity, u"i"},
      {"<!DOCTYPE s [<!ENTITY % p 'x'>]><s/>", DtdProblem::kParameterEntity, u""},
      {"<!DOCTYPE s [<!ENTITY e '%p;'>]><s/>", DtdProblem::kParameterEntity, u""},
      {"<!DOCTYPE s [%p;]><s/>", DtdProblem::kParameterEntity, u""},
      {"<!DOCTYPE s [<!ATTLIST s a CDATA 'x'>]><s/>", DtdProblem::kAttributeList, u""},
      {"<!DOCTYPE s [<!ENTITY e 'x'>", DtdProblem::kMalformed, u""},
      {"<!DOCTYPE s [<!ENTITY e x>]><s/>", DtdProblem::kMalformed, u""},
      {"<!DOCTYPE s [<!ENTITY e '&#xZ;'>]><s/>", DtdProblem::kMalformed, u""},
      {"<!DOCTYPE [<!ENTITY e 'x'>]><s/>", DtdProblem::kMalformed, u""},
  };
  for (const auto& c : cases) {
    const Doctype doctype = ReadDoctype(UnitsOf(c.document).text);
    EXPECT_EQ(doctype.problem, c.problem) << c.document;
    EXPECT_EQ(doctype.entity, c.entity) << c.document;
  }
}

TEST(WithoutDoctype, StopsEntitiesThatReferToThemselvesOrGrowWithoutEnd) {
  std::string laughs = "<!DOCTYPE s [<!ENTITY l0 '" + std::string(4096, 'l') + "'>";
  for (int i = 1; i <= 9; ++i) {
    const std::string previous = "&l" + std::to_string(i - 1) + ";";
    std::string value;
    for (int k = 0; k < 10; ++k) value += previous;
    laughs += "<!ENTITY l" + std::to_string(i) + " '" + value + "'>";
  }
  laughs += "]><s>&l9;</s>";
  const struct {
    std::string document;
    ExpansionProblem problem;
    const char16_t* entity;
  } cases[] = {
      {"<!DOCTYPE s [<!ENTITY a '&b;'><!ENTITY b '<x>&a;</x>'>]><s>&a;</s>", ExpansionProblem::kRecursive, u"a"},
      {"<!DOCTYPE s [<!ENTITY a 'x&a;'>]><s t='&a;'/>", ExpansionProblem::kRecursive, u"a"},
      {laughs, ExpansionProblem::kTooLarge, u""},
  };
  for (const auto& c : cases) {
    const XmlUnits units = UnitsOf(c.document);
    const Expansion expansion = WithoutDoctype(units.text, ReadDoctype(units.text));
    EXPECT_EQ(expansion.problem, c.problem) << c.document.substr(0, 60);
    EXPECT_EQ(expansion.entity, c.entity) << c.document.substr(0, 60);
  }
}

}  // namespace
}  // namespace rt
