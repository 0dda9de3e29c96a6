// Files checked against a format's schema: what a clerk is told of each mistake, and schemas
// that read only their own folder.
#include "transform/xslt/schema_check.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "runtime/text/utf8_text.h"

namespace rt {
namespace {

namespace fs = std::filesystem;

// Every name the process asks the file system about while a schema compiles: a file of another
// computer must be refused before anything asks for it.
std::vector<std::string>* g_looked = nullptr;

constexpr char kSchemaHead[] = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">";
const std::string kSchema = std::string(kSchemaHead) +
                            "<xs:include schemaLocation=\"types.xsd\"/>"
                            "<xs:element name=\"Файл\"><xs:complexType><xs:sequence>"
                            "<xs:element name=\"Документ\" maxOccurs=\"unbounded\"><xs:complexType><xs:sequence>"
                            "<xs:element name=\"Сумма\" type=\"xs:decimal\"/>"
                            "<xs:element name=\"СвНП\"><xs:complexType><xs:attribute name=\"ИНН\" type=\"ИННТип\" "
                            "use=\"required\"/></xs:complexType></xs:element>"
                            "</xs:sequence></xs:complexType></xs:element></xs:sequence></xs:complexType></xs:element>"
                            "</xs:schema>";
const std::string kTypes = std::string(kSchemaHead) +
                           "<xs:simpleType name=\"ИННТип\"><xs:restriction base=\"xs:string\">"
                           "<xs:pattern value=\"[0-9]{10}\"/></xs:restriction></xs:simpleType></xs:schema>";

std::string Document(const std::string& sum, const std::string& inn, int count = 1) {
  std::string text = "<?xml version=\"1.0\"?>\n<Файл>\n";
  for (int i = 0; i < count; ++i) {
    text +=
        "<Документ>" + (sum.empty() ? "" : "<Сумма>" + sum + "</Сумма>") + "\n<СвНП ИНН=\"" + inn + "\"/></Документ>\n";
  }
  return text + "</Файл>\n";
}

TEST(CompiledSchema, TellsEachProblemWithItsLineAndPath) {
  char pattern[] = "/tmp/vx-xsd-XXXXXX";
  const fs::path root = mkdtemp(pattern), folder = root / "styles";
  fs::create_directories(folder);
  std::ofstream(root / "outside.xsd") << kTypes;
  const struct {
    const char* what;
    std::string schema, types, document;
    const char* compiled;  // in the reason the schema is refused with; null: it compiles
    const char* problems;  // in what the document is told; null: it matches
  } cases[] = {
      {"a document that matches", kSchema, kTypes, Document("12.50", "7701234567"), nullptr, nullptr},
      {"a missing element", kSchema, kTypes, Document("", "7701234567"), nullptr,
       "строка 4, /Файл/Документ/СвНП: Элемент «СвНП» здесь не ожидается, ожидается «Сумма» (Element 'СвНП': This "
       "element is not expected. Expected is ( Сумма ))"},
      {"a wrong type", kSchema, kTypes, Document("много", "7701234567"), nullptr, "строка 3, /Файл/Документ/Сумма: "},
      {"a value outside its pattern", kSchema, kTypes, Document("1", "77"), nullptr,
       "строка 4, /Файл/Документ/СвНП/@ИНН: Значение «77» не соответствует шаблону «[0-9]{10}» (Element 'СвНП', "
       "attribute 'ИНН': [facet 'pattern']"},
      {"a DTD the processor would read", kSchema, kTypes,
       "<!DOCTYPE Файл SYSTEM \"x.dtd\">" + Document("12.50", "7701234567"), nullptr, "объявление DTD"},
      {"more problems than are told", kSchema, kTypes, Document("1", "77", 5), nullptr, "… и ещё 2"},
      {"a document that is not XML", kSchema, kTypes, "<Файл>", nullptr, "Ошибка в файле"},
      {"a schema reading outside its folder",
       kSchema.substr(0, kSchema.find("types.xsd")) + "../outside.xsd" + kSchema.substr(kSchema.find("types.xsd") + 9),
       kTypes, Document("1", "1"), "файл лежит вне папки", nullptr},
      {"a schema that does not compile", kSchema, std::string(kSchemaHead) + "<xs:element/></xs:schema>",
       Document("1", "1"), "Ошибка в схеме", nullptr},
      {"a schema including another computer's file",
       std::string(kSchemaHead) + "<xs:include schemaLocation=\"file://///vx-host/share/x.xsd\"/></xs:schema>", kTypes,
       Document("1", "1"), "вне папки", nullptr},
  };
  for (const auto& c : cases) {
    std::ofstream(folder / "in.xsd") << c.schema;
    std::ofstream(folder / "types.xsd") << c.types;
    std::ofstream(root / "file.xml") << c.document;
    Text reason;
    std::vector<std::string> looked;
    g_looked = &looked;
    const std::unique_ptr<CompiledSchema> schema =
        CompiledSchema::Compile(TextOfUtf8((folder / "in.xsd").string()), reason);
    g_looked = nullptr;
    for (const std::string& path : looked) EXPECT_EQ(path.rfind(folder.string(), 0), 0u) << c.what << ": " << path;
    ASSERT_EQ(schema == nullptr, c.compiled != nullptr) << c.what << ": " << Utf8Of(reason);
    if (!schema) {
      EXPECT_NE(Utf8Of(reason).find(c.compiled), std::string::npos) << c.what << ": " << Utf8Of(reason);
      continue;
    }
    const std::optional<Text> problems = schema->Problems(TextOfUtf8((root / "file.xml").string()), true);
    ASSERT_EQ(problems.has_value(), c.problems != nullptr) << c.what << ": " << Utf8Of(problems.value_or(u""));
    if (problems)
      EXPECT_NE(Utf8Of(*problems).find(c.problems), std::string::npos) << c.what << ": " << Utf8Of(*problems);
    // A document the built-in conversion parsed is told the same way.
    if (xmlDocPtr parsed = xmlReadMemory(c.document.data(), static_cast<int>(c.document.size()), nullptr, nullptr, 0)) {
      const std::string told = Utf8Of(schema->ProblemsOfParsed(parsed).value_or(u"-"));
      if (c.problems && !c.document.starts_with("<!")) EXPECT_NE(told.find(c.problems), std::string::npos) << told;
      xmlFreeDoc(parsed);
    }
  }
  // The formats' schemas beside a stylesheet: one side may be absent, and is then not checked.
  std::ofstream(folder / "s.in.xsd") << kSchema;
  FormatSchemas beside;
  Text reason;
  EXPECT_TRUE(beside.Compile(TextOfUtf8((folder / "s.xsl").string()), reason)) << Utf8Of(reason);
  EXPECT_TRUE(beside.input != nullptr && beside.result == nullptr);
  fs::remove_all(root);
}

}  // namespace
}  // namespace rt

extern "C" int stat64(const char* path, struct stat64* facts) noexcept {
  if (rt::g_looked != nullptr) rt::g_looked->emplace_back(path);
  return fstatat64(AT_FDCWD, path, facts, 0);
}
