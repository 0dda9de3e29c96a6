#include "transform/xslt/read_guard.h"

#include <libxml/SAX2.h>
#include <libxml/parserInternals.h>
#include <libxml/uri.h>
#include <libxml/xmlIO.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>

#include <memory>
#include <optional>

#include "runtime/text/utf8_text.h"
#include "transform/xslt/file_addresses.h"
#include "transform/xslt/read_only_file.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {
namespace {

ReadGuard* g_current = nullptr;

// The program's own files: a folder's final path and a name, which may hold one "*".
struct PrivateFiles {
  Text folder, name;
};
std::vector<PrivateFiles> g_private;

bool IsPrivate(TextView finalPath) {
  const Text folder = FolderOf(finalPath, kHostPathStyle);
  const TextView name = finalPath.substr(folder.size());
  for (const PrivateFiles& files : g_private) {
    if (LiesInside(folder, files.folder, kHostPathStyle) && LiesInside(files.folder, folder, kHostPathStyle) &&
        NameMatches(name, files.name, kHostPathStyle))
      return true;
  }
  return false;
}

// Why the rule does not open an address at all.
Text WhyNotOpened(AddressDecision::Verdict verdict, const ReadGuard& guard) {
  switch (verdict) {
    case AddressDecision::Verdict::kStream:
      return StreamWhy();
    case AddressDecision::Verdict::kNetwork:
      return NetworkPathWhy();
    case AddressDecision::Verdict::kOutside:
      return OutsideFolderWhy(guard.folder());
    case AddressDecision::Verdict::kOpen:
    case AddressDecision::Verdict::kNotAFile:
      break;
  }
  return NotALocalFileWhy();
}

// A Windows path where an address belongs, as the address it means; else the address as written.
std::string AddressOf(const xmlChar* written) {
  const std::string_view text = reinterpret_cast<const char*>(written);
  return AddressOfWindowsPath(text, kHostPathStyle).value_or(std::string(text));
}

ReadDecision Asked(const char* address, Text why = {}) {
  ReadDecision decision;
  if (address != nullptr) decision.address = address;
  decision.why = std::move(why);
  return decision;
}

struct Reading {
  Reading(TextView path, ReadGuard* readFor) : file(path), guard(readFor) {}
  ReadOnlyFile file;
  ReadGuard* guard;
};

int ReadSome(void* context, char* buffer, int size) {
  auto* reading = static_cast<Reading*>(context);
  if (size <= 0) return 0;
  const std::int64_t read = reading->file.Read(buffer, static_cast<std::size_t>(size));
  if (read > 0 && !reading->guard->Take(static_cast<std::uint64_t>(read))) return -1;
  return static_cast<int>(read);
}

int CloseReading(void* context) {
  delete static_cast<Reading*>(context);
  return 0;
}

// The rule itself; null with the decision recorded when the file is not to be read.
xmlParserInputBufferPtr OpenBuffer(const char* address, xmlCharEncoding encoding) {
  ReadGuard* guard = ReadGuard::Current();
  ReadDecision decision = Asked(address);
  if (guard == nullptr) return nullptr;
  if (guard->folder().empty()) {
    decision.why = NothingElseWhy();
    guard->Refuse(std::move(decision));
    return nullptr;
  }
  // Nothing outside the folder is opened: opening tells whether it is there, and a file of
  // another computer (also behind a mapped drive) would be connected to first.
  const AddressDecision rule = DecideAddress(decision.address, guard->folder(), guard->spelled(), kHostPathStyle);
  if (rule.verdict != AddressDecision::Verdict::kOpen) {
    decision.why = WhyNotOpened(rule.verdict, *guard);
    guard->Refuse(std::move(decision));
    return nullptr;
  }
  auto reading = std::make_unique<Reading>(rule.path, guard);
  switch (reading->file.kind()) {
    case ReadOnlyFile::Kind::kNotOpened:
      // As for a standard processor, a file that is not there is no file read.
      decision.verdict = ReadDecision::Verdict::kMissing;
      decision.why = reading->file.systemText();
      guard->Record(std::move(decision));
      return nullptr;
    case ReadOnlyFile::Kind::kOther:
      decision.why = NotADiskFileWhy();
      guard->Refuse(std::move(decision));
      return nullptr;
    case ReadOnlyFile::Kind::kDiskFile:
      break;
  }
  decision.path = reading->file.finalPath();
  if (decision.path.empty() || !LiesInside(decision.path, guard->folder(), kHostPathStyle)) {
    decision.why = OutsideFolderWhy(guard->folder());
    guard->Refuse(std::move(decision));
    return nullptr;
  }
  if (IsPrivate(decision.path)) {
    decision.why = PrivateFileWhy();
    guard->Refuse(std::move(decision));
    return nullptr;
  }
  decision.verdict = ReadDecision::Verdict::kRead;
  guard->Record(std::move(decision));
  xmlParserInputBufferPtr buffer = xmlParserInputBufferCreateIO(ReadSome, CloseReading, reading.get(), encoding);
  if (buffer != nullptr) reading.release();
  return buffer;
}

// What the library asks for through its own loaders ends here too; a schema's documents are
// read as the stylesheet's are.
xmlParserInputPtr LoadEntity(const char* address, const char* /*publicId*/, xmlParserCtxtPtr parser) {
  if (parser != nullptr) ReadGuard::WatchParser(parser);
  return ReadGuard::OpenInput(address, parser);
}

xmlOutputBufferPtr NoOutputFile(const char* address, xmlCharEncodingHandlerPtr encoder, int /*compression*/) {
  if (ReadGuard* guard = ReadGuard::Current()) {
    guard->Refuse(Asked(address, WriteRefusedWhy()));
  }
  xmlCharEncCloseFunc(encoder);
  return nullptr;
}

int RefuseNetwork(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* address) {
  if (ReadGuard* guard = ReadGuard::Current()) {
    guard->Refuse(Asked(address, NotALocalFileWhy()));
  }
  return 0;
}

int RefuseWrite(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* address) {
  if (ReadGuard* guard = ReadGuard::Current()) {
    guard->Refuse(Asked(address, WriteRefusedWhy()));
  }
  return 0;
}

const char* BaseOf(xmlParserCtxtPtr parser) {
  if (parser->input != nullptr && parser->input->filename != nullptr) return parser->input->filename;
  return parser->directory;
}

xmlParserInputPtr ResolveEntity(void* context, const xmlChar* /*publicId*/, const xmlChar* systemId) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  if (systemId == nullptr) return nullptr;
  xmlChar* address =
      xmlBuildURI(BAD_CAST AddressOf(systemId).c_str(), reinterpret_cast<const xmlChar*>(BaseOf(parser)));
  if (address == nullptr) return nullptr;
  xmlParserInputPtr input = ReadGuard::OpenInput(reinterpret_cast<const char*>(address), parser);
  xmlFree(address);
  return input;
}

void DeclareEntity(void* context, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId,
                   xmlChar* content) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  ReadGuard* guard = ReadGuard::Current();
  if (systemId != nullptr && guard != nullptr) {
    const std::string written = AddressOf(systemId);
    xmlChar* address = xmlBuildURI(BAD_CAST written.c_str(), reinterpret_cast<const xmlChar*>(BaseOf(parser)));
    const std::string named = address == nullptr ? written : reinterpret_cast<const char*>(address);
    xmlFree(address);
    const AddressDecision::Verdict verdict =
        DecideAddress(named, guard->folder(), guard->spelled(), kHostPathStyle).verdict;
    // One outside the folder is refused when it is read, if it ever is.
    if (verdict != AddressDecision::Verdict::kOpen && verdict != AddressDecision::Verdict::kOutside) {
      guard->Refuse(Asked(named.c_str(), WhyNotOpened(verdict, *guard)));
      xmlStopParser(parser);
      return;
    }
    xmlSAX2EntityDecl(context, name, type, publicId, BAD_CAST written.c_str(), content);
    return;
  }
  xmlSAX2EntityDecl(context, name, type, publicId, systemId, content);
}

// The attribute that names a module: xsl:include and xsl:import's href, a schema's
// schemaLocation of xs:include, xs:import and xs:redefine.
const char* ModuleAttributeOf(const xmlChar* space, const xmlChar* name) {
  if (space == nullptr) return nullptr;
  if (xmlStrEqual(space, BAD_CAST "http://www.w3.org/1999/XSL/Transform") &&
      (xmlStrEqual(name, BAD_CAST "include") || xmlStrEqual(name, BAD_CAST "import")))
    return "href";
  if (xmlStrEqual(space, BAD_CAST "http://www.w3.org/2001/XMLSchema") &&
      (xmlStrEqual(name, BAD_CAST "include") || xmlStrEqual(name, BAD_CAST "import") ||
       xmlStrEqual(name, BAD_CAST "redefine")))
    return "schemaLocation";
  return nullptr;
}

// The element as the library would take it, a module's Windows path given as its address.
void StartElement(void* context, const xmlChar* name, const xmlChar* prefix, const xmlChar* space, int spaces,
                  const xmlChar** namespaces, int count, int defaulted, const xmlChar** attributes) {
  const char* named = ModuleAttributeOf(space, name);
  std::vector<const xmlChar*> changed;
  std::string address;
  for (int i = 0; named != nullptr && i < count; ++i) {
    const xmlChar** attribute = attributes + 5 * i;  // name, prefix, namespace, value, its end
    if (attribute[2] != nullptr || !xmlStrEqual(attribute[0], BAD_CAST named)) continue;
    const std::string_view value(reinterpret_cast<const char*>(attribute[3]),
                                 static_cast<std::size_t>(attribute[4] - attribute[3]));
    std::optional<std::string> windows = AddressOfWindowsPath(value, kHostPathStyle);
    if (!windows) continue;
    address = std::move(*windows);
    changed.assign(attributes, attributes + 5 * count);
    const auto at = static_cast<std::size_t>(5 * i);
    changed[at + 3] = BAD_CAST address.data();
    changed[at + 4] = BAD_CAST address.data() + address.size();
  }
  xmlSAX2StartElementNs(context, name, prefix, space, spaces, namespaces, count, defaulted,
                        changed.empty() ? attributes : changed.data());
}

}  // namespace

ReadGuard::ReadGuard(Text folder, std::vector<ReadDecision>& decisions, Text spelled)
    : folder_(std::move(folder)),
      spelled_(std::move(spelled)),
      decisions_(decisions),
      first_(decisions.size()),
      outer_(g_current) {
  g_current = this;
}

ReadGuard::~ReadGuard() { g_current = outer_; }

ReadGuard* ReadGuard::Current() { return g_current; }

const ReadDecision* ReadGuard::refusal() const {
  for (std::size_t at = first_; at < decisions_.size(); ++at) {
    const ReadDecision::Verdict verdict = decisions_[at].verdict;
    if (verdict == ReadDecision::Verdict::kRefused || verdict == ReadDecision::Verdict::kBroken) return &decisions_[at];
  }
  return nullptr;
}

void ReadGuard::KeepPrivate(const std::vector<Text>& paths) {
  g_private.clear();
  for (const Text& path : paths) {
    Text systemText;
    const Text folder = FolderOf(path, kHostPathStyle);
    Text final = FinalFolderPath(folder, systemText);
    if (!final.empty()) g_private.push_back({std::move(final), path.substr(folder.size())});
  }
}

void ReadGuard::Refuse(ReadDecision decision, ReadDecision::Verdict verdict) {
  decision.verdict = verdict;
  if (transformContext_ != nullptr) {
    auto* context = static_cast<xsltTransformContextPtr>(transformContext_);
    context->state = XSLT_STATE_STOPPED;
    if (context->inst != nullptr && context->inst->doc != nullptr && context->inst->doc->URL != nullptr) {
      decision.module = reinterpret_cast<const char*>(context->inst->doc->URL);
      decision.line = xmlGetLineNo(context->inst);
    }
  }
  decisions_.push_back(std::move(decision));
}

bool ReadGuard::Take(std::uint64_t bytes) {
  read_ += bytes;
  if (read_ <= kReadLimit) return true;
  if (refusal() == nullptr) Refuse(Asked(nullptr, TooMuchReadWhy(kReadLimit)));
  return false;
}

void ReadGuard::Install() {
  xmlInitParser();
  // The library's own ways to files and to the network are taken out altogether.
  xmlCleanupInputCallbacks();
  xmlCleanupOutputCallbacks();
  xmlParserInputBufferCreateFilenameDefault(OpenBuffer);
  xmlOutputBufferCreateFilenameDefault(NoOutputFile);
  xmlSetExternalEntityLoader(LoadEntity);
  xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK, RefuseNetwork);
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, RefuseWrite);
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, RefuseWrite);
  xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, RefuseWrite);
  xsltSetDefaultSecurityPrefs(prefs);
}

xmlParserInput* ReadGuard::OpenInput(const char* address, xmlParserCtxt* parser) {
  xmlParserInputBufferPtr buffer = OpenBuffer(address, XML_CHAR_ENCODING_NONE);
  if (buffer == nullptr) return nullptr;
  xmlParserInputPtr input = xmlNewIOInputStream(parser, buffer, XML_CHAR_ENCODING_NONE);
  if (input == nullptr) {
    xmlFreeParserInputBuffer(buffer);
    return nullptr;
  }
  // The address stays the base that the document's relative addresses are resolved against.
  input->filename = reinterpret_cast<char*>(xmlStrdup(reinterpret_cast<const xmlChar*>(address)));
  return input;
}

void ReadGuard::WatchParser(xmlParserCtxt* parser) {
  parser->sax->entityDecl = DeclareEntity;
  parser->sax->resolveEntity = ResolveEntity;
  if (parser->sax->startElementNs == xmlSAX2StartElementNs) parser->sax->startElementNs = StartElement;
}

}  // namespace rt
