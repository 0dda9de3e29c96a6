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
  const std::optional<Text> path = PathOfAddress(decision.address, kHostPathStyle);
  if (!path) {
    decision.why = NotALocalFileWhy();
    guard->Refuse(std::move(decision));
    return nullptr;
  }
  // Opening a file of another computer would connect to it first.
  if (IsNetworkPath(*path, kHostPathStyle) && !LiesInside(*path, guard->folder(), kHostPathStyle)) {
    decision.why = NetworkPathWhy();
    guard->Refuse(std::move(decision));
    return nullptr;
  }
  auto reading = std::make_unique<Reading>(*path, guard);
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
  decision.verdict = ReadDecision::Verdict::kRead;
  guard->Record(std::move(decision));
  xmlParserInputBufferPtr buffer = xmlParserInputBufferCreateIO(ReadSome, CloseReading, reading.get(), encoding);
  if (buffer != nullptr) reading.release();
  return buffer;
}

// What the library asks for through its own loaders ends here too.
xmlParserInputPtr LoadEntity(const char* address, const char* /*publicId*/, xmlParserCtxtPtr parser) {
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
  xmlChar* address = xmlBuildURI(systemId, reinterpret_cast<const xmlChar*>(BaseOf(parser)));
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
    xmlChar* address = xmlBuildURI(systemId, reinterpret_cast<const xmlChar*>(BaseOf(parser)));
    const std::string named =
        address == nullptr ? reinterpret_cast<const char*>(systemId) : reinterpret_cast<const char*>(address);
    xmlFree(address);
    const std::optional<Text> path = PathOfAddress(named, kHostPathStyle);
    if (!path || (IsNetworkPath(*path, kHostPathStyle) && !LiesInside(*path, guard->folder(), kHostPathStyle))) {
      guard->Refuse(Asked(named.c_str(), path ? NetworkPathWhy() : NotALocalFileWhy()));
      xmlStopParser(parser);
      return;
    }
  }
  xmlSAX2EntityDecl(context, name, type, publicId, systemId, content);
}

}  // namespace

ReadGuard::ReadGuard(Text folder, std::vector<ReadDecision>& decisions)
    : folder_(std::move(folder)), decisions_(decisions), first_(decisions.size()), outer_(g_current) {
  g_current = this;
}

ReadGuard::~ReadGuard() { g_current = outer_; }

ReadGuard* ReadGuard::Current() { return g_current; }

const ReadDecision* ReadGuard::refusal() const {
  for (std::size_t at = first_; at < decisions_.size(); ++at) {
    if (decisions_[at].verdict == ReadDecision::Verdict::kRefused) return &decisions_[at];
  }
  return nullptr;
}

void ReadGuard::Refuse(ReadDecision decision) {
  decision.verdict = ReadDecision::Verdict::kRefused;
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

void ReadGuard::CheckDeclarations(xmlParserCtxt* parser) {
  parser->sax->entityDecl = DeclareEntity;
  parser->sax->resolveEntity = ResolveEntity;
}

}  // namespace rt
