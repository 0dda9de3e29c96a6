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

#include "runtime/text/number_text.h"
#include "runtime/text/utf8_text.h"
#include "transform/xml_support/code_pages.h"
#include "transform/xml_support/document_disposal.h"
#include "transform/xslt/document_function.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xml_support/library_memory.h"
#include "transform/xslt/library_messages.h"
#include "transform/xml_support/library_texts.h"
#include "transform/xslt/read_only_file.h"
#include "transform/xslt/schema_check.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {
namespace {

constexpr char kMsxslNamespace[] = "urn:schemas-microsoft-com:xslt";
// The input as a standard processor reads it, less the network; a DTD in it is refused apart.
constexpr int kInputOptions = XML_PARSE_NOENT | XML_PARSE_NOCDATA | XML_PARSE_NONET;

// Modules nested deeper than this would end the worker's stack; loaded more often, they would
// take minutes (each module importing two of the next level doubles the loads).
constexpr int kModuleDepth = 200;
constexpr long kModuleLoads = 10000;

// What the modules of the stylesheet being compiled show: scripts, who asked for each, and a
// module that is on its own chain of includes and imports (a circle the library does not see:
// an import inside an included module), or nested or loaded beyond the limits.
struct ModuleFindings {
  std::vector<ScriptPlace> scripts;
  std::map<xmlDocPtr, xmlDocPtr> askedBy;
  long loads = 0;
  enum class Problem { kNone, kCircle, kTooDeep, kTooMany } problem = Problem::kNone;
  std::string module;  // the module the problem is with
};
ModuleFindings* g_modules = nullptr;

bool SameAddress(const xmlChar* a, const xmlChar* b) {
  if (a == nullptr || b == nullptr) return false;
  return kHostPathStyle == PathStyle::kWindows ? xmlStrcasecmp(a, b) == 0 : xmlStrEqual(a, b) != 0;
}

// Whether a module may be loaded for the stylesheet module `asking` (null for the main one).
bool ModuleAllowed(const xmlChar* address, xmlDocPtr asking) {
  ModuleFindings::Problem problem = ModuleFindings::Problem::kNone;
  int depth = 0;
  for (xmlDocPtr at = asking; at != nullptr && problem == ModuleFindings::Problem::kNone; ++depth) {
    if (SameAddress(at->URL, address)) problem = ModuleFindings::Problem::kCircle;
    const auto above = g_modules->askedBy.find(at);
    at = above == g_modules->askedBy.end() ? nullptr : above->second;
  }
  if (problem == ModuleFindings::Problem::kNone && depth >= kModuleDepth) problem = ModuleFindings::Problem::kTooDeep;
  if (problem == ModuleFindings::Problem::kNone && ++g_modules->loads > kModuleLoads)
    problem = ModuleFindings::Problem::kTooMany;
  if (problem == ModuleFindings::Problem::kNone) return true;
  if (g_modules->problem == ModuleFindings::Problem::kNone) {
    g_modules->problem = problem;
    g_modules->module = reinterpret_cast<const char*>(address);
  }
  return false;
}

Text ShownAddress(std::string_view address) {
  const std::optional<Text> path = PathOfAddress(address, kHostPathStyle);
  return path ? *path : WithPathsForUrls(address, kHostPathStyle);
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
xmlDocPtr LoadDocument(const xmlChar* address, xmlDictPtr dictionary, int options, void* context, xsltLoadType type) {
  const bool module = type != XSLT_LOAD_DOCUMENT && g_modules != nullptr;
  xmlDocPtr asking = nullptr;
  if (module && type == XSLT_LOAD_STYLESHEET && context != nullptr)
    asking = static_cast<xsltStylesheetPtr>(context)->doc;
  if (module && !ModuleAllowed(address, asking)) return nullptr;
  xmlParserCtxtPtr parser = xmlNewParserCtxt();
  if (parser == nullptr) return nullptr;
  if (dictionary != nullptr) {
    xmlDictFree(parser->dict);
    parser->dict = dictionary;
    xmlDictReference(dictionary);
  }
  xmlCtxtUseOptions(parser, options);
  ReadGuard::WatchParser(parser);
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
  ReadGuard* guard = ReadGuard::Current();
  if (!parser->wellFormed) {
    xmlFreeDoc(document);
    document = nullptr;
    // A data file that is there but cannot be taken is never read as nothing; a module's errors
    // fail the stylesheet's compiling with the library's words.
    if (!module && guard != nullptr && guard->refusal() == nullptr) {
      ReadDecision broken;
      broken.address = reinterpret_cast<const char*>(address);
      const xmlError& error = parser->lastError;
      broken.why = error.message == nullptr ? Text()
                                            : Concat({u"строка ", DecimalText(error.line), u": ",
                                                      TextOfUtf8(ClerkText(error.domain, error.code, error.message))});
      guard->Refuse(std::move(broken), ReadDecision::Verdict::kBroken);
    }
  }
  xmlFreeParserCtxt(parser);
  if (document != nullptr && module) {
    g_modules->askedBy[document] = asking;
    FindScripts(document->children, ShownAddress(reinterpret_cast<const char*>(address)));
  }
  return document;
}

// The library's own words after a refusal only repeat that the file was not there.
Text RefusedReason(const ReadDecision& refusal) {
  const Text module = refusal.module.empty() ? Text() : ShownAddress(refusal.module);
  const Text address = refusal.address.empty() ? Text() : ShownAddress(refusal.address);
  if (refusal.verdict == ReadDecision::Verdict::kBroken) {
    return FileBrokenReason(address, module, static_cast<LONG>(refusal.line), refusal.why);
  }
  return ReadRefusedReason(address, refusal.why, module, static_cast<LONG>(refusal.line), Text());
}

Text ModulesReason(const ModuleFindings& modules, TextView stylesheetPath) {
  const Text module = ShownAddress(modules.module);
  switch (modules.problem) {
    case ModuleFindings::Problem::kCircle:
      return ModuleCircleReason(module);
    case ModuleFindings::Problem::kTooDeep:
      return ModulesTooDeepReason(module, kModuleDepth);
    case ModuleFindings::Problem::kTooMany:
    case ModuleFindings::Problem::kNone:
      break;
  }
  return ModulesTooManyReason(stylesheetPath, kModuleLoads);
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
    CountLibraryAllocations();
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
  stylesheet->spelled_ = FolderOf(path, kHostPathStyle);
  LibraryMessages messages;
  ModuleFindings modules;
  std::optional<ReadDecision> refusal;
  const std::string address = FileUrlOf(path, kHostPathStyle);
  {
    ReadGuard guard(stylesheet->folder_, stylesheet->reads_, stylesheet->spelled_);
    g_modules = &modules;
    stylesheet->compiled_ = xsltParseStylesheetFile(BAD_CAST address.c_str());
    g_modules = nullptr;
    if (guard.refusal() != nullptr) refusal = *guard.refusal();
  }
  if (reads != nullptr) *reads = stylesheet->reads_;
  if (messages.RanOutOfMemory()) {
    reason = OutOfMemoryReason(path);
  } else if (refusal) {
    reason = RefusedReason(*refusal);
  } else if (modules.problem != ModuleFindings::Problem::kNone) {
    reason = ModulesReason(modules, path);
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
  reason = Bounded(std::move(reason));
  return nullptr;
}

TransformOutcome XsltStylesheet::Transform(TextView inputPath, const Writer& write,
                                           const CompiledSchema* inputSchema) const {
  LibraryMessages messages;
  TransformOutcome outcome = TransformWith(messages, inputPath, write, inputSchema);
  // What the libraries made after memory ran out may be wrong without their saying so.
  if (messages.RanOutOfMemory()) outcome = {false, false, OutOfMemoryReason(inputPath)};
  outcome.reason = Bounded(std::move(outcome.reason));
  return outcome;
}

TransformOutcome XsltStylesheet::TransformWith(LibraryMessages& messages, TextView inputPath, const Writer& write,
                                               const CompiledSchema* inputSchema) const {
  // Each file's reads replace the last file's: a worker keeps a stylesheet for thousands.
  reads_.resize(compilationReads_);
  ReadGuard guard(folder_, reads_, spelled_);
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
    TransformOutcome refused{false, false, DtdRefusedReason(ParsedDocument::kInput, inputPath)};
    // Where the format has a schema, an input with a DTD is not of the format, on either road.
    if (inputSchema != nullptr) refused.mismatch = TransformOutcome::Mismatch::kFormat;
    return refused;
  }
  if (input == nullptr) {
    const auto& error = messages.firstParseError();
    return {false, false,
            ParseErrorReason(ParsedDocument::kInput, inputPath, error ? error->line : 0, error ? error->column : 0,
                             error ? TrimmedRight(TextOfUtf8(error->text)) : messages.Said())};
  }

  if (inputSchema != nullptr) {
    bool schemaFault = false;
    if (std::optional<Text> problems = inputSchema->ProblemsOfParsed(input, &schemaFault)) {
      xmlFreeDoc(input);
      TransformOutcome mismatch{false, false, std::move(*problems)};
      if (schemaFault) {
        mismatch.notPrepared = true;
      } else {
        mismatch.mismatch = TransformOutcome::Mismatch::kFormat;
      }
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
    if (guard.refusal() != nullptr) return {false, false, RefusedReason(*guard.refusal())};
    // A stylesheet that stopped itself (xsl:message terminate) said why in its own words.
    if (state == XSLT_STATE_STOPPED && !messages.stylesheetSaid().empty()) {
      return {
          false, false,
          TransformFailedReason(inputPath, TrimmedRight(TextOfUtf8(StylesheetStopText(messages.stylesheetSaid()))))};
    }
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
