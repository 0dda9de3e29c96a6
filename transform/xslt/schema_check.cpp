#include "transform/xslt/schema_check.h"

#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlschemas.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xslt/library_messages.h"
#include "transform/xml_support/library_texts.h"
#include "transform/xslt/read_guard.h"
#include "transform/xslt/read_only_file.h"
#include "transform/xslt/transform_reasons.h"
#include "transform/xslt/xslt_stylesheet.h"

namespace rt {
namespace {

// A reason stays readable: the first few problems are told, the rest counted.
constexpr std::size_t kProblemsTold = 3, kProblemLength = 500;

// Where the parse is, and what was found there.
struct Check {
  std::vector<std::string> path;  // the open elements' names
  int endsPending = 0;            // elements ended, taken off once the validator has seen their end
  std::vector<std::string> problems;
  std::size_t count = 0;
  bool schemaFault = false;
  bool doctype = false;               // the file declares a DTD: what the processor would read is not what is checked
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
  // The schema's own fault (a pattern the library cannot compile) is no fault of the file.
  if (error->code == XML_SCHEMAV_INTERNAL || error->code == XML_ERR_INTERNAL_ERROR) check->schemaFault = true;
  if (++check->count > kProblemsTold) return;
  std::string where = "/";
  for (std::size_t i = 0; i < check->path.size(); ++i) where += (i == 0 ? "" : "/") + check->path[i];
  // The library names the attribute in its text: "Element 'x', attribute 'y': …".
  const std::string english = error->message == nullptr ? std::string() : error->message;
  std::string text = ClerkText(error->domain, error->code, english);
  const std::string& named = english;
  const std::string attribute = "attribute '";
  if (const std::size_t at = named.find(attribute); at != std::string::npos) {
    const std::size_t end = named.find('\'', at + attribute.size());
    if (end != std::string::npos) where += "/@" + named.substr(at + attribute.size(), end - at - attribute.size());
  }
  int line = error->line != 0 || check->parser == nullptr ? error->line : xmlSAX2GetLineNumber(check->parser);
  // A parsed document's nodes know their places; an attribute's is its element's.
  if (auto* node = static_cast<xmlNodePtr>(error->node); node != nullptr && check->parser == nullptr) {
    if (xmlChar* nodePath = xmlGetNodePath(node)) {
      const std::size_t attributeAt = where.find("/@");
      where = reinterpret_cast<const char*>(nodePath) +
              (attributeAt == std::string::npos || node->type == XML_ATTRIBUTE_NODE ? "" : where.substr(attributeAt));
      xmlFree(nodePath);
    }
    if (line == 0) line = static_cast<int>(xmlGetLineNo(node));
  }
  // One long name must not crowd out the others.
  if (text.size() > kProblemLength) {
    std::size_t cut = kProblemLength;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text = text.substr(0, cut) + "…";
  }
  check->problems.push_back("строка " + std::to_string(line) + ", " + where + ": " + text);
}

void RefuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* check = static_cast<Check*>(context);
  check->doctype = true;
  if (check->parser != nullptr) xmlStopParser(check->parser);
}

// The first problems told in full, the rest counted; nothing when there were none. A fault of
// the schema itself is told as such, and `schemaFault` says so.
std::optional<Text> Told(const Check& check, TextView schemaPath, bool* schemaFault) {
  if (check.count == 0) return std::nullopt;
  std::string told;
  for (const std::string& problem : check.problems) told += (told.empty() ? "" : "; ") + problem;
  if (check.count > check.problems.size()) told += " … и ещё " + std::to_string(check.count - check.problems.size());
  if (!check.schemaFault) return TextOfUtf8(told);
  if (schemaFault != nullptr) *schemaFault = true;
  return SchemaRejectedReason(schemaPath, TextOfUtf8(told));
}

}  // namespace

CompiledSchema::~CompiledSchema() {
  if (schema_ != nullptr) xmlSchemaFree(schema_);
}

std::unique_ptr<CompiledSchema> CompiledSchema::Compile(TextView path, Text& reason, bool* absent) {
  PrepareXsltLibraries();
  Text systemText;
  const Text folder = FinalFolderPath(FolderOf(path, kHostPathStyle), systemText);
  if (folder.empty()) {
    reason = SchemaMissingReason(path);
    return nullptr;
  }
  LibraryMessages messages;
  std::vector<ReadDecision> reads;
  std::unique_ptr<CompiledSchema> compiled(new CompiledSchema());
  compiled->path_ = Text(path);
  const std::string address = FileUrlOf(path, kHostPathStyle);
  {
    ReadGuard guard(folder, reads, FolderOf(path, kHostPathStyle));
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(address.c_str());
    if (parser != nullptr) {
      compiled->schema_ = xmlSchemaParse(parser);
      xmlSchemaFreeParserCtxt(parser);
    }
    if (const ReadDecision* refusal = guard.refusal()) {
      const std::optional<Text> refused = PathOfAddress(refusal->address, kHostPathStyle);
      const Text named = refused ? *refused : TextOfUtf8(refusal->address);
      reason = Bounded(
          SchemaRejectedReason(path, refusal->verdict == ReadDecision::Verdict::kBroken
                                         ? Concat({u"не удалось прочитать ", named, u": ", refusal->why})
                                         : Concat({u"обращается к ", named, u", а это запрещено: ", refusal->why})));
      return nullptr;
    }
  }
  if (compiled->schema_ != nullptr && !messages.RanOutOfMemory()) return compiled;
  const bool missing =
      !reads.empty() && reads.front().address == address && reads.front().verdict == ReadDecision::Verdict::kMissing;
  if (absent != nullptr) *absent = missing;
  if (messages.RanOutOfMemory()) {
    reason = OutOfMemoryReason(path);
  } else {
    reason = Bounded(missing ? SchemaMissingReason(path) : SchemaRejectedReason(path, messages.Said()));
  }
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

bool FormatSchemas::Compile(TextView stylesheetPath, Text& reason, const PreparingNotice& preparing) {
  for (const bool forResult : {false, true}) {
    bool absent = false;
    const Text path = SchemaBeside(stylesheetPath, forResult);
    if (preparing) preparing(path);
    std::unique_ptr<CompiledSchema> schema = CompiledSchema::Compile(path, reason, &absent);
    if (!schema && !absent) return false;
    (forResult ? result : input) = std::move(schema);
  }
  reason.clear();
  return true;
}

std::optional<Text> CompiledSchema::Problems(TextView filePath, bool refuseDtd, bool* schemaFault) const {
  ReadOnlyFile file(filePath);
  if (file.kind() == ReadOnlyFile::Kind::kNotOpened) return UnreadableReason(filePath, file.systemText());
  if (file.kind() == ReadOnlyFile::Kind::kOther) return NotAFileReason(filePath);
  SchemaStreamCheck check(*this, filePath, refuseDtd);
  std::vector<char> buffer(1 << 16);
  for (std::int64_t read; (read = file.Read(buffer.data(), buffer.size())) != 0;) {
    if (read < 0) return UnreadableReason(filePath, Text());
    check.Take(std::string_view(buffer.data(), static_cast<std::size_t>(read)));
  }
  return check.Problems(schemaFault);
}

struct SchemaStreamCheck::State {
  Text filePath, schemaPath;
  Check check;
  xmlParserCtxtPtr parser = nullptr;
  xmlSchemaValidCtxtPtr validation = nullptr;
  xmlSchemaSAXPlugPtr plug = nullptr;
  std::vector<ReadDecision> reads;  // none: nothing but these bytes is read
};

SchemaStreamCheck::SchemaStreamCheck(const CompiledSchema& schema, TextView filePath, bool refuseDtd)
    : state_(new State) {
  state_->filePath = Text(filePath);
  state_->schemaPath = schema.path_;
  xmlSAXHandler sax{};
  sax.initialized = XML_SAX2_MAGIC;
  sax.startElementNs = StartElement;
  sax.endElementNs = EndElement;
  // The processor would read the DTD such a file names, and its entities: not what was checked.
  if (refuseDtd) sax.internalSubset = RefuseDoctype;
  state_->parser = xmlCreatePushParserCtxt(&sax, &state_->check, nullptr, 0, nullptr);
  state_->validation = xmlSchemaNewValidCtxt(schema.schema_);
  if (state_->parser == nullptr || state_->validation == nullptr) return;
  state_->check.parser = state_->parser;
  xmlCtxtUseOptions(state_->parser, XML_PARSE_NONET);
  xmlSchemaSetValidStructuredErrors(state_->validation, TakeProblem, &state_->check);
  state_->plug = xmlSchemaSAXPlug(state_->validation, &state_->parser->sax, &state_->parser->userData);
}

SchemaStreamCheck::~SchemaStreamCheck() {
  if (state_->plug != nullptr) xmlSchemaSAXUnplug(state_->plug);
  if (state_->validation != nullptr) xmlSchemaFreeValidCtxt(state_->validation);
  if (state_->parser != nullptr) xmlFreeParserCtxt(state_->parser);
}

void SchemaStreamCheck::Take(std::string_view bytes) {
  if (state_->plug == nullptr) return;
  ReadGuard nothingElse(Text(), state_->reads);
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t part = std::min<std::size_t>(bytes.size() - at, 1 << 20);
    xmlParseChunk(state_->parser, bytes.data() + at, static_cast<int>(part), 0);
    at += part;
  }
}

std::optional<Text> SchemaStreamCheck::Problems(bool* schemaFault) {
  if (state_->plug == nullptr) return ParseErrorReason(ParsedDocument::kInput, state_->filePath, 0, 0, Text());
  {
    ReadGuard nothingElse(Text(), state_->reads);
    xmlParseChunk(state_->parser, nullptr, 0, 1);
  }
  if (state_->check.doctype) return DtdRefusedReason(ParsedDocument::kInput, state_->filePath);
  if (state_->parser->wellFormed == 0) {
    const xmlError* error = xmlCtxtGetLastError(state_->parser);
    return ParseErrorReason(ParsedDocument::kInput, state_->filePath, error != nullptr ? error->line : 0,
                            error != nullptr ? error->int2 : 0,
                            error != nullptr && error->message != nullptr
                                ? TextOfUtf8(ClerkText(error->domain, error->code, error->message))
                                : Text());
  }
  return Told(state_->check, state_->schemaPath, schemaFault);
}

std::optional<Text> CompiledSchema::ProblemsOfParsed(void* document, bool* schemaFault) const {
  Check check;
  xmlSchemaValidCtxtPtr validation = xmlSchemaNewValidCtxt(schema_);
  if (validation == nullptr) return Text();
  xmlSchemaSetValidStructuredErrors(validation, TakeProblem, &check);
  xmlSchemaValidateDoc(validation, static_cast<xmlDocPtr>(document));
  xmlSchemaFreeValidCtxt(validation);
  return Told(check, path_, schemaFault);
}

}  // namespace rt
