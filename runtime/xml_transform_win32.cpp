#include <vector>

#include "runtime/com_support_win32.h"
#include "runtime/document_function_call.h"
#include "runtime/file_facts.h"
#include "runtime/file_stream_win32.h"
#include "runtime/msxml_api_win32.h"
#include "runtime/win32_api.h"
#include "runtime/xml_error_place.h"
#include "runtime/xml_transform.h"
#include "runtime/xml_transform_reasons.h"

namespace rt {

struct CompiledStylesheet::Library {
  ComPtr<IXSLTemplate> compiled;
};

CompiledStylesheet::CompiledStylesheet(std::unique_ptr<Library> library) : library_(std::move(library)) {}
CompiledStylesheet::CompiledStylesheet(CompiledStylesheet&&) noexcept = default;
CompiledStylesheet& CompiledStylesheet::operator=(CompiledStylesheet&&) noexcept = default;
CompiledStylesheet::~CompiledStylesheet() = default;

namespace {

// Scripts of the stylesheet, and the attributes where a document() call could hide: every
// attribute of XSLT's own elements is read as an expression, others as templates.
constexpr char16_t kScripts[] = u"//*[local-name()='script' and namespace-uri()='urn:schemas-microsoft-com:xslt']";
constexpr char16_t kExpressionAttributes[] =
    u"//*[namespace-uri()='http://www.w3.org/1999/XSL/Transform']/@*[contains(., 'document')]";
constexpr char16_t kTemplateAttributes[] =
    u"//*[namespace-uri()!='http://www.w3.org/1999/XSL/Transform']/@*[contains(., 'document')]";

void SetFlag(IXMLDOMDocument2* document, TextView name, bool value) {
  VARIANT setting{};
  setting.vt = VT_BOOL;
  setting.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  document->setProperty(Bstr(name).get(), setting);
}

void SetText(IXMLDOMDocument2* document, TextView name, TextView value) {
  Bstr text(value);
  VARIANT setting{};
  setting.vt = VT_BSTR;
  setting.bstrVal = text.get();
  document->setProperty(Bstr(name).get(), setting);
}

// A document that reads no DTD and nothing outside itself. Not every implementation of the
// library knows every setting, so Load checks the outcome again.
ComPtr<IXMLDOMDocument2> NewDocument(const CLSID& kind, Text& reason) {
  ComPtr<IXMLDOMDocument2> document;
  const HRESULT created =
      Com().createInstance(kind, nullptr, CLSCTX_INPROC_SERVER, msxml::kIidXmlDomDocument2, document.putVoid());
  if (FAILED(created)) {
    reason = LibraryUnavailableReason(FailureText(created));
    return ComPtr<IXMLDOMDocument2>();
  }
  document->put_async(VARIANT_FALSE);
  document->put_validateOnParse(VARIANT_FALSE);
  document->put_resolveExternals(VARIANT_FALSE);
  SetFlag(document.get(), u"ProhibitDTD", true);
  return document;
}

// The file's bytes; empty when it cannot be read.
std::string FileBytes(const Text& path) {
  HANDLE file = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

bool Load(IXMLDOMDocument2* document, const VARIANT& source, ParsedDocument which, const Text& path, Text& reason) {
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT result = document->load(source, &loaded);
  if (loaded != VARIANT_TRUE) {
    ComPtr<IXMLDOMParseError> error;
    long line = 0, column = 0;
    Bstr text;
    if (SUCCEEDED(document->get_parseError(error.put())) && error) {
      error->get_line(&line);
      error->get_linepos(&column);
      error->get_reason(text.put());
    }
    const Text libraryText = text.text().empty() && FAILED(result) ? FailureText(result) : text.text();
    // A library that does not tell where (Wine's does not) leaves it to the program's own look.
    if (line <= 0) {
      if (const auto place = FirstMalformedPlace(FileBytes(path))) {
        line = place->line;
        column = place->column;
      }
    }
    reason = ParseErrorReason(which, path, static_cast<LONG>(line), static_cast<LONG>(column), libraryText);
    return false;
  }
  // Where the library took a DTD in spite of the setting, it is refused here all the same.
  ComPtr<IXMLDOMDocumentType> doctype;
  if (SUCCEEDED(document->get_doctype(doctype.put())) && doctype) {
    reason = DtdRefusedReason(which, path);
    return false;
  }
  return true;
}

std::vector<Text> SelectedTexts(IXMLDOMDocument2* document, TextView query) {
  std::vector<Text> texts;
  ComPtr<IXMLDOMNodeList> nodes;
  if (FAILED(document->selectNodes(Bstr(query).get(), nodes.put())) || !nodes) return texts;
  ComPtr<IXMLDOMNode> node;
  while (nodes->nextNode(node.put()) == S_OK && node) {
    Bstr text;
    if (SUCCEEDED(node->get_text(text.put()))) texts.push_back(text.text());
  }
  return texts;
}

// The stylesheet's use of what is switched off, checked here too: some implementations of
// the library ignore the settings and would run scripts or read any file with document().
Text RefusedUse(IXMLDOMDocument2* stylesheet, const Text& path) {
  ComPtr<IXMLDOMNode> script;
  if (stylesheet->selectSingleNode(Bstr(kScripts).get(), script.put()) == S_OK && script) {
    return ScriptRefusedReason(path);
  }
  for (const auto& [query, holds] : {std::pair{kExpressionAttributes, AttributeHolds::kExpression},
                                     std::pair{kTemplateAttributes, AttributeHolds::kTemplate}}) {
    for (const Text& value : SelectedTexts(stylesheet, query)) {
      if (CallsDocumentFunction(value, holds)) return DocumentFunctionRefusedReason(path);
    }
  }
  return Text();
}

// The input read from a stream of the file, not through a URL: a path with "#" or "%" stays a
// path, and nothing relative to the input can be fetched.
ComPtr<IXMLDOMDocument2> LoadInput(const Text& path, Text& reason) {
  if (!IsFile(path)) {
    reason = InputMissingReason(path);
    return ComPtr<IXMLDOMDocument2>();
  }
  DWORD error = 0;
  ComPtr<FileStream> stream = FileStream::Open(path, FileStream::Access::kRead, error);
  if (!stream) {
    reason = UnreadableReason(path, SystemMessage(error));
    return ComPtr<IXMLDOMDocument2>();
  }
  ComPtr<IXMLDOMDocument2> document = NewDocument(msxml::kDomDocument60, reason);
  if (!document) return document;
  VARIANT source{};
  source.vt = VT_UNKNOWN;
  source.punkVal = static_cast<IStream*>(stream.get());
  if (!Load(document.get(), source, ParsedDocument::kInput, path, reason)) document.reset();
  return document;
}

// A uniquely named file in the output's directory that is removed unless it is put in place.
class TemporaryOutput {
 public:
  explicit TemporaryOutput(const Text& output) {
    const Text directory = output.substr(0, output.find_last_of(u"\\/") + 1);
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(Wide(directory.empty() ? Text(u".") : directory), L"vxt", 0, name)) {
      path_ = FromWide(name);
    } else {
      error_ = GetLastError();
    }
  }
  ~TemporaryOutput() {
    if (!path_.empty()) DeleteFileW(Wide(path_));
  }
  TemporaryOutput(const TemporaryOutput&) = delete;
  TemporaryOutput& operator=(const TemporaryOutput&) = delete;

  const Text& path() const { return path_; }
  DWORD error() const { return error_; }

  // Puts the file in the output's place, replacing an earlier one.
  bool MoveTo(const Text& output) {
    if (!MoveFileExW(Wide(path_), Wide(output), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      error_ = GetLastError();
      return false;
    }
    path_.clear();
    return true;
  }

 private:
  Text path_;
  DWORD error_ = 0;
};

}  // namespace

std::optional<CompiledStylesheet> CompiledStylesheet::Compile(TextView stylesheetPath, Text& reason) {
  const Text path = FullPath(stylesheetPath);
  if (!Com().complete()) {
    reason = LibraryUnavailableReason(u"ole32.dll, oleaut32.dll");
    return std::nullopt;
  }
  if (!IsFile(path)) {
    reason = StylesheetMissingReason(path);
    return std::nullopt;
  }
  // The compiled form is shared by the library's processors, so it wants the free-threaded kind.
  ComPtr<IXMLDOMDocument2> stylesheet = NewDocument(msxml::kFreeThreadedDomDocument60, reason);
  if (!stylesheet) return std::nullopt;
  SetFlag(stylesheet.get(), u"AllowXsltScript", false);
  SetFlag(stylesheet.get(), u"AllowDocumentFunction", false);
  SetText(stylesheet.get(), u"SelectionLanguage", u"XPath");
  // Read by its path, so that xsl:include and xsl:import find their files beside it.
  Bstr location(path);
  VARIANT source{};
  source.vt = VT_BSTR;
  source.bstrVal = location.get();
  if (!Load(stylesheet.get(), source, ParsedDocument::kStylesheet, path, reason)) return std::nullopt;
  reason = RefusedUse(stylesheet.get(), path);
  if (!reason.empty()) return std::nullopt;

  auto library = std::make_unique<Library>();
  const HRESULT created = Com().createInstance(msxml::kXslTemplate60, nullptr, CLSCTX_INPROC_SERVER,
                                               msxml::kIidXslTemplate, library->compiled.putVoid());
  if (FAILED(created)) {
    reason = LibraryUnavailableReason(FailureText(created));
    return std::nullopt;
  }
  const HRESULT compiled = library->compiled->putref_stylesheet(stylesheet.get());
  if (FAILED(compiled)) {
    reason = StylesheetRejectedReason(path, FailureText(compiled));
    return std::nullopt;
  }
  return CompiledStylesheet(std::move(library));
}

TransformOutcome TransformFile(const CompiledStylesheet& stylesheet, TextView inputPath, TextView outputPath) {
  const Text input = FullPath(inputPath), output = FullPath(outputPath);
  Text reason;
  ComPtr<IXMLDOMDocument2> document = LoadInput(input, reason);
  if (!document) return {false, reason};

  TemporaryOutput temporary(output);
  if (temporary.path().empty()) return {false, OutputNotWrittenReason(output, SystemMessage(temporary.error()))};
  DWORD error = 0;
  ComPtr<FileStream> stream = FileStream::Open(temporary.path(), FileStream::Access::kWrite, error);
  if (!stream) return {false, OutputNotWrittenReason(output, SystemMessage(error))};

  ComPtr<IXSLProcessor> processor;
  HRESULT result = stylesheet.library_->compiled->createProcessor(processor.put());
  if (SUCCEEDED(result)) {
    VARIANT in{};
    in.vt = VT_DISPATCH;
    in.pdispVal = document.get();
    result = processor->put_input(in);
  }
  if (SUCCEEDED(result)) {
    VARIANT out{};
    out.vt = VT_UNKNOWN;
    out.punkVal = static_cast<IStream*>(stream.get());
    result = processor->put_output(out);
  }
  VARIANT_BOOL done = VARIANT_FALSE;
  if (SUCCEEDED(result)) result = processor->transform(&done);
  const Text failure = FAILED(result) ? FailureText(result) : Text();
  processor.reset();  // lets go of the stream
  stream->Close();

  if (FAILED(result) || done != VARIANT_TRUE) return {false, TransformFailedReason(input, failure)};
  if (stream->writeError() != 0) return {false, OutputNotWrittenReason(output, SystemMessage(stream->writeError()))};
  // Nothing written is how some implementations of the library show a failed transformation.
  if (stream->bytesWritten() == 0) return {false, NoResultReason(input)};
  if (!temporary.MoveTo(output)) return {false, OutputNotWrittenReason(output, SystemMessage(temporary.error()))};
  return {true, Text()};
}

TransformOutcome TransformFile(TextView inputPath, TextView stylesheetPath, TextView outputPath) {
  Text reason;
  const auto stylesheet = CompiledStylesheet::Compile(stylesheetPath, reason);
  if (!stylesheet) return {false, reason};
  return TransformFile(*stylesheet, inputPath, outputPath);
}

}  // namespace rt
