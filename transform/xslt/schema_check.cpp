#include "transform/xslt/schema_check.h"

#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlschemas.h>

#include <string>
#include <vector>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xslt/library_messages.h"
#include "transform/xslt/read_guard.h"
#include "transform/xslt/read_only_file.h"
#include "transform/xslt/transform_reasons.h"
#include "transform/xslt/xslt_stylesheet.h"

namespace rt {
namespace {

// A reason stays readable: the first few problems are told, the rest counted.
constexpr std::size_t kProblemsTold = 3;

// Where the parse is, and what was found there.
struct Check {
  std::vector<std::string> path;  // the open elements' names
  int endsPending = 0;            // elements ended, taken off once the validator has seen their end
  std::vector<std::string> problems;
  std::size_t count = 0;
  xmlParserCtxtPtr parser = nullptr;  // whose line a problem found as the file streams by is at
};

void TakePendingEnds(Check& check) {
  for (; check.endsPending > 0 && !check.path.empty(); --check.endsPending) check.path.pop_back();
  check.endsPending = 0;
}

void StartElement(void* context, const xmlChar* localName, const xmlChar*, const xmlChar*, int, const xmlChar**, int,
                  int, const xmlChar**) {
  auto* check = static_cast<Check*>(context);
  TakePendingEnds(*check);
  check->path.emplace_back(reinterpret_cast<const char*>(localName));
}

// The validator is told of the end after this: a missing child is found then, and its element
// must still be on the path.
void EndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* check = static_cast<Check*>(context);
  TakePendingEnds(*check);
  ++check->endsPending;
}

void TakeProblem(void* context, xmlErrorPtr error) {
  auto* check = static_cast<Check*>(context);
  if (error == nullptr || error->level < XML_ERR_ERROR) return;
  if (++check->count > kProblemsTold) return;
  std::string where = "/";
  for (std::size_t i = 0; i < check->path.size(); ++i) where += (i == 0 ? "" : "/") + check->path[i];
  // The library names the attribute in its text: "Element 'x', attribute 'y': …".
  std::string text = error->message == nullptr ? std::string() : error->message;
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  const std::string attribute = "attribute '";
  if (const std::size_t at = text.find(attribute); at != std::string::npos) {
    const std::size_t end = text.find('\'', at + attribute.size());
    if (end != std::string::npos) where += "/@" + text.substr(at + attribute.size(), end - at - attribute.size());
  }
  const int line = error->line != 0 || check->parser == nullptr ? error->line : xmlSAX2GetLineNumber(check->parser);
  check->problems.push_back("строка " + std::to_string(line) + ", " + where + ": " + text);
}

int ReadFileBytes(void* context, char* buffer, int size) {
  return size <= 0
             ? 0
             : static_cast<int>(static_cast<ReadOnlyFile*>(context)->Read(buffer, static_cast<std::size_t>(size)));
}

Text FolderOf(TextView path) {
  const std::size_t slash = path.find_last_of(kHostPathStyle == PathStyle::kWindows ? u"\\/" : u"/");
  return Text(path.substr(0, slash == TextView::npos ? 0 : slash + 1));
}

}  // namespace

CompiledSchema::~CompiledSchema() {
  if (schema_ != nullptr) xmlSchemaFree(schema_);
}

std::unique_ptr<CompiledSchema> CompiledSchema::Compile(TextView path, Text& reason, bool* absent) {
  PrepareXsltLibraries();
  Text systemText;
  const Text folder = FinalFolderPath(FolderOf(path), systemText);
  if (folder.empty()) {
    reason = SchemaMissingReason(path);
    return nullptr;
  }
  LibraryMessages messages;
  std::vector<ReadDecision> reads;
  std::unique_ptr<CompiledSchema> compiled(new CompiledSchema());
  const std::string address = FileUrlOf(path, kHostPathStyle);
  {
    ReadGuard guard(folder, reads);
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(address.c_str());
    if (parser != nullptr) {
      compiled->schema_ = xmlSchemaParse(parser);
      xmlSchemaFreeParserCtxt(parser);
    }
    if (const ReadDecision* refusal = guard.refusal()) {
      const std::optional<Text> refused = PathOfAddress(refusal->address, kHostPathStyle);
      reason = SchemaRejectedReason(path, Concat({u"обращается к ", refused ? *refused : TextOfUtf8(refusal->address),
                                                  u", а это запрещено: ", refusal->why}));
      return nullptr;
    }
  }
  if (compiled->schema_ != nullptr) return compiled;
  const bool missing = !reads.empty() && reads.front().address == address &&
                       reads.front().verdict == ReadDecision::Verdict::kMissing;
  if (absent != nullptr) *absent = missing;
  reason = missing ? SchemaMissingReason(path) : SchemaRejectedReason(path, messages.Said());
  return nullptr;
}

Text SchemaBeside(TextView stylesheetPath, bool forResult) {
  const std::size_t dot = stylesheetPath.find_last_of(u'.');
  const std::size_t slash = stylesheetPath.find_last_of(u"\\/");
  const TextView stem = dot != TextView::npos && (slash == TextView::npos || dot > slash)
                            ? stylesheetPath.substr(0, dot)
                            : stylesheetPath;
  return Concat({stem, forResult ? u".out.xsd" : u".in.xsd"});
}

bool FormatSchemas::Compile(TextView stylesheetPath, Text& reason) {
  for (const bool forResult : {false, true}) {
    bool absent = false;
    std::unique_ptr<CompiledSchema> schema = CompiledSchema::Compile(SchemaBeside(stylesheetPath, forResult), reason, &absent);
    if (!schema && !absent) return false;
    (forResult ? result : input) = std::move(schema);
  }
  reason.clear();
  return true;
}

std::optional<Text> CompiledSchema::Problems(TextView filePath) const {
  ReadOnlyFile file(filePath);
  if (file.kind() == ReadOnlyFile::Kind::kNotOpened) return UnreadableReason(filePath, file.systemText());
  if (file.kind() == ReadOnlyFile::Kind::kOther) return NotAFileReason(filePath);
  LibraryMessages messages;
  // Nothing but the file itself is read: no guard lets the parser open another.
  std::vector<ReadDecision> reads;
  ReadGuard nothingElse(Text(), reads);
  Check check;
  xmlSAXHandler sax{};
  sax.initialized = XML_SAX2_MAGIC;
  sax.startElementNs = StartElement;
  sax.endElementNs = EndElement;
  xmlParserCtxtPtr parser = xmlCreateIOParserCtxt(&sax, &check, ReadFileBytes, nullptr, &file, XML_CHAR_ENCODING_NONE);
  xmlSchemaValidCtxtPtr validation = xmlSchemaNewValidCtxt(schema_);
  if (parser == nullptr || validation == nullptr) {
    xmlSchemaFreeValidCtxt(validation);
    if (parser != nullptr) xmlFreeParserCtxt(parser);
    return ParseErrorReason(ParsedDocument::kInput, filePath, 0, 0, messages.Said());
  }
  check.parser = parser;
  xmlCtxtUseOptions(parser, XML_PARSE_NONET);
  xmlSchemaSetValidStructuredErrors(validation, TakeProblem, &check);
  xmlSchemaSAXPlugPtr plug = xmlSchemaSAXPlug(validation, &parser->sax, &parser->userData);
  xmlParseDocument(parser);
  const bool wellFormed = parser->wellFormed != 0;
  xmlSchemaSAXUnplug(plug);
  xmlSchemaFreeValidCtxt(validation);
  xmlFreeParserCtxt(parser);
  if (!wellFormed) {
    const auto& error = messages.firstParseError();
    return ParseErrorReason(ParsedDocument::kInput, filePath, error ? error->line : 0, error ? error->column : 0,
                            error ? TrimmedRight(TextOfUtf8(error->text)) : messages.Said());
  }
  if (check.count == 0) return std::nullopt;
  std::string told;
  for (const std::string& problem : check.problems) told += (told.empty() ? "" : "; ") + problem;
  if (check.count > check.problems.size()) told += " … и ещё " + std::to_string(check.count - check.problems.size());
  return TextOfUtf8(told);
}

}  // namespace rt
