#include "transform/xslt/xslt_stylesheet.h"

#include <libexslt/exslt.h>
#include <libxml/parserInternals.h>
#include <libxml/xpathInternals.h>
#include <libxslt/documents.h>
#include <libxslt/extensions.h>
#include <libxslt/extra.h>
#include <libxslt/imports.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <map>
#include <optional>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/code_pages.h"
#include "transform/xslt/document_disposal.h"
#include "transform/xslt/document_function.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xslt/library_messages.h"
#include "transform/xslt/read_only_file.h"
#include "transform/xslt/schema_check.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {
namespace {

constexpr char kMsxslNamespace[] = "urn:schemas-microsoft-com:xslt";
// The input as a standard processor reads it, less the network; a DTD in it is refused apart.
constexpr int kInputOptions = XML_PARSE_NOENT | XML_PARSE_NOCDATA | XML_PARSE_NONET;

// A module loaded again and again is in a circle the library does not see (an import inside an
// included module); it would follow it until the stack ends.
constexpr int kModuleRepeats = 16;

// What the modules of the stylesheet being compiled show: scripts, and how often each was loaded.
struct ModuleFindings {
  std::vector<ScriptPlace> scripts;
  std::map<std::string, int> loads;
  std::string circle;
};
ModuleFindings* g_modules = nullptr;

Text ShownAddress(std::string_view address) {
  const std::optional<Text> path = PathOfAddress(address, kHostPathStyle);
  return path ? *path : TextOfUtf8(address);
}

void FindScripts(xmlNodePtr node, const Text& module) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    if (node->ns != nullptr && xmlStrEqual(node->ns->href, BAD_CAST kMsxslNamespace) &&
        xmlStrEqual(node->name, BAD_CAST "script")) {
      g_modules->scripts.push_back({module, static_cast<LONG>(xmlGetLineNo(node))});
    }
    FindScripts(node->children, module);
  }
}

// As the library's own loader, but the document and everything its DTD names are opened by the
// rule; the modules of a stylesheet are searched for scripts.
xmlDocPtr LoadDocument(const xmlChar* address, xmlDictPtr dictionary, int options, void* /*context*/,
                       xsltLoadType type) {
  const bool module = type != XSLT_LOAD_DOCUMENT && g_modules != nullptr;
  if (module && ++g_modules->loads[reinterpret_cast<const char*>(address)] > kModuleRepeats) {
    if (g_modules->circle.empty()) g_modules->circle = reinterpret_cast<const char*>(address);
    return nullptr;
  }
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  if (parser == nullptr) return nullptr;
  if (dictionary != nullptr) {
    xmlDictFree(parser->dict);
    parser->dict = dictionary;
    xmlDictReference(dictionary);
  }
  xmlCtxtUseOptions(parser, options);
  ReadGuard::CheckDeclarations(parser);
  xmlParserInputPtr input = ReadGuard::OpenInput(reinterpret_cast<const char*>(address), parser);
  if (input == nullptr) {
    xmlFreeParserCtxt(parser);
    return nullptr;
  }
  inputPush(parser, input);
  if (parser->directory == nullptr) parser->directory = xmlParserGetDirectory(reinterpret_cast<const char*>(address));
  xmlParseDocument(parser);
  xmlDocPtr document = parser->myDoc;
  parser->myDoc = nullptr;
  if (!parser->wellFormed) {
    xmlFreeDoc(document);
    document = nullptr;
  }
  xmlFreeParserCtxt(parser);
  if (document != nullptr && module) {
    FindScripts(document->children, ShownAddress(reinterpret_cast<const char*>(address)));
  }
  return document;
}

Text RefusedReason(const ReadDecision& refusal, const LibraryMessages& messages) {
  return ReadRefusedReason(refusal.address.empty() ? Text() : ShownAddress(refusal.address), refusal.why,
                           refusal.module.empty() ? Text() : ShownAddress(refusal.module),
                           static_cast<LONG>(refusal.line), messages.Said());
}

struct DoctypeWatch {
  bool seen = false;
};

void RefuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  static_cast<DoctypeWatch*>(parser->_private)->seen = true;
  xmlStopParser(parser);
}

int ReadInput(void* context, char* buffer, int size) {
  return size <= 0
             ? 0
             : static_cast<int>(static_cast<ReadOnlyFile*>(context)->Read(buffer, static_cast<std::size_t>(size)));
}

struct Sink {
  const XsltStylesheet::Writer* write;
  bool failed = false;
  std::uint64_t bytes = 0;
};

int WriteSome(void* context, const char* bytes, int size) {
  auto* sink = static_cast<Sink*>(context);
  if (sink->failed || !(*sink->write)(std::string_view(bytes, static_cast<std::size_t>(size)))) {
    sink->failed = true;
    return -1;
  }
  sink->bytes += static_cast<std::uint64_t>(size);
  return size;
}

int CloseSink(void*) { return 0; }

}  // namespace

void PrepareXsltLibraries() {
  static const bool prepared = [] {
    ReadGuard::Install();
    RegisterSystemCodePages();
    xmlLineNumbersDefault(1);
    exsltRegisterAll();
    // Stylesheets written for the other processor turn fragments into node sets its way.
    xsltRegisterExtModuleFunction(BAD_CAST "node-set", BAD_CAST kMsxslNamespace, xsltFunctionNodeSet);
    xsltSetLoaderFunc(LoadDocument);
    return true;
  }();
  (void)prepared;
}

XsltStylesheet::~XsltStylesheet() {
  if (compiled_ != nullptr) xsltFreeStylesheet(compiled_);
}

std::unique_ptr<XsltStylesheet> XsltStylesheet::Compile(TextView path, Text& reason, std::vector<ReadDecision>* reads) {
  PrepareXsltLibraries();
  std::unique_ptr<XsltStylesheet> stylesheet(new XsltStylesheet());
  stylesheet->path_ = Text(path);
  Text systemText;
  stylesheet->folder_ = FinalFolderPath(FolderOf(path, kHostPathStyle), systemText);
  if (stylesheet->folder_.empty()) {
    reason = StylesheetMissingReason(path);
    return nullptr;
  }
  LibraryMessages messages;
  ModuleFindings modules;
  std::optional<ReadDecision> refusal;
  const std::string address = FileUrlOf(path, kHostPathStyle);
  {
    ReadGuard guard(stylesheet->folder_, stylesheet->reads_);
    g_modules = &modules;
    stylesheet->compiled_ = xsltParseStylesheetFile(BAD_CAST address.c_str());
    g_modules = nullptr;
    if (guard.refusal() != nullptr) refusal = *guard.refusal();
  }
  if (reads != nullptr) *reads = stylesheet->reads_;
  if (refusal) {
    reason = RefusedReason(*refusal, messages);
  } else if (!modules.circle.empty()) {
    reason = ModuleCircleReason(ShownAddress(modules.circle));
  } else if (!modules.scripts.empty()) {
    reason = ScriptsRefusedReason(modules.scripts);
  } else if (stylesheet->compiled_ == nullptr || stylesheet->compiled_->errors != 0) {
    const auto& decided = stylesheet->reads_;
    const bool missing = !decided.empty() && decided.front().address == address &&
                         decided.front().verdict == ReadDecision::Verdict::kMissing;
    reason = missing ? StylesheetMissingReason(path) : StylesheetRejectedReason(path, messages.Said());
  } else {
    stylesheet->compilationReads_ = stylesheet->reads_.size();
    return stylesheet;
  }
  return nullptr;
}

TransformOutcome XsltStylesheet::Transform(TextView inputPath, const Writer& write,
                                           const CompiledSchema* inputSchema) const {
  LibraryMessages messages;
  // Each file's reads replace the last file's: a worker keeps a stylesheet for thousands.
  reads_.resize(compilationReads_);
  ReadGuard guard(folder_, reads_);
  ReadOnlyFile file(inputPath);
  if (file.kind() == ReadOnlyFile::Kind::kNotOpened)
    return {false, false, UnreadableReason(inputPath, file.systemText())};
  if (file.kind() == ReadOnlyFile::Kind::kOther) return {false, false, NotAFileReason(inputPath)};

  // The input is read by the program from the file it opened; it names no other file to read.
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  if (parser == nullptr) return {false, false, TransformFailedReason(inputPath, messages.Said())};
  DoctypeWatch doctype;
  parser->_private = &doctype;
  parser->sax->internalSubset = RefuseDoctype;
  const std::string address = FileUrlOf(inputPath, kHostPathStyle);
  xmlDocPtr input = xmlCtxtReadIO(parser, ReadInput, nullptr, &file, address.c_str(), nullptr, kInputOptions);
  xmlFreeParserCtxt(parser);
  if (doctype.seen) {
    xmlFreeDoc(input);
    return {false, false, DtdRefusedReason(ParsedDocument::kInput, inputPath)};
  }
  if (input == nullptr) {
    const auto& error = messages.firstParseError();
    return {false, false,
            ParseErrorReason(ParsedDocument::kInput, inputPath, error ? error->line : 0, error ? error->column : 0,
                             error ? TrimmedRight(TextOfUtf8(error->text)) : messages.Said())};
  }

  if (inputSchema != nullptr) {
    if (std::optional<Text> problems = inputSchema->ProblemsOfParsed(input)) {
      xmlFreeDoc(input);
      TransformOutcome mismatch{false, false, std::move(*problems)};
      mismatch.mismatch = TransformOutcome::Mismatch::kFormat;
      return mismatch;
    }
  }
  xsltTransformContextPtr context = xsltNewTransformContext(compiled_, input);
  if (context == nullptr) {
    xmlFreeDoc(input);
    return {false, false, TransformFailedReason(inputPath, messages.Said())};
  }
  xsltSetCtxtParseOptions(context, XSLT_PARSE_OPTIONS);
  xmlXPathRegisterFunc(context->xpathCtxt, BAD_CAST "document", nullptr);
  xmlXPathRegisterFunc(context->xpathCtxt, BAD_CAST "document", DocumentFunction);
  guard.StopOnRefusal(context);
  xmlDocPtr result = xsltApplyStylesheetUser(compiled_, input, nullptr, nullptr, nullptr, context);
  const xsltTransformState state = context->state;
  guard.StopOnRefusal(nullptr);
  xsltFreeTransformContext(context);
  LetGoOfDocument(input);
  if (guard.refusal() != nullptr || state != XSLT_STATE_OK || result == nullptr) {
    xmlFreeDoc(result);
    if (guard.refusal() != nullptr) return {false, false, RefusedReason(*guard.refusal(), messages)};
    const Text said = messages.Said();
    return {false, false, said.empty() ? NoResultReason(inputPath) : TransformFailedReason(inputPath, said)};
  }

  // Written as the standard processor writes it to a file.
  const xmlChar* encoding = nullptr;
  XSLT_GET_IMPORT_PTR(encoding, compiled_, encoding)
  xmlCharEncodingHandlerPtr encoder =
      encoding == nullptr ? nullptr : xmlFindCharEncodingHandler(reinterpret_cast<const char*>(encoding));
  if (encoder != nullptr && xmlStrEqual(BAD_CAST encoder->name, BAD_CAST "UTF-8")) encoder = nullptr;
  Sink sink{&write};
  xmlOutputBufferPtr output = xmlOutputBufferCreateIO(WriteSome, CloseSink, &sink, encoder);
  int closed = -1;
  if (output != nullptr) {
    xsltSaveResultTo(output, result, compiled_);
    closed = xmlOutputBufferClose(output);
  }
  LetGoOfDocument(result);
  if (sink.failed) return {false, false, Text()};
  if (closed < 0) return {false, false, TransformFailedReason(inputPath, messages.Said())};
  if (sink.bytes == 0) return {false, false, NoResultReason(inputPath)};
  return {true, false, Text()};
}

}  // namespace rt
