#include "runtime/com/com_support_win32.h"
#include "runtime/com/file_stream_win32.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/system_error.h"
#include "transform/documents/module_paths.h"
#include "transform/input_doctype_win32.h"
#include "transform/stylesheet_modules_win32.h"
#include "transform/temporary_output_win32.h"
#include "transform/xml_document_win32.h"
#include "transform/xml_transform.h"

namespace rt {

struct CompiledStylesheet::Library {
  // Some implementations of the library read the modules when they transform, not when they
  // compile, so their copies stay as long as the compiled stylesheet.
  StylesheetModules modules;
  ComPtr<IXSLTemplate> compiled;
};

CompiledStylesheet::CompiledStylesheet(std::unique_ptr<Library> library) : library_(std::move(library)) {}
CompiledStylesheet::CompiledStylesheet(CompiledStylesheet&&) noexcept = default;
CompiledStylesheet& CompiledStylesheet::operator=(CompiledStylesheet&&) noexcept = default;
CompiledStylesheet::~CompiledStylesheet() = default;

namespace {

// The input read from a stream of the file, not through a URL: a path with "#" or "%" stays a
// path, and nothing relative to the input can be fetched. A DOCTYPE is refused before the
// library parses anything of it.
ComPtr<IXMLDOMDocument2> LoadInput(const Text& path, Text& reason) {
  if (!IsFile(ExtendedLengthPath(path))) {
    reason = InputMissingReason(path);
    return ComPtr<IXMLDOMDocument2>();
  }
  DWORD error = 0;
  ComPtr<FileStream> stream = FileStream::Open(ExtendedLengthPath(path), FileStream::Access::kRead, error);
  if (!stream) {
    reason = UnreadableReason(path, SystemErrorText(error));
    return ComPtr<IXMLDOMDocument2>();
  }
  if (const DocumentEncoding encoding = EncodingOfInput(*stream.get()); !encoding.readable) {
    reason = InputEncodingRefusedReason(path, encoding.name);
    return ComPtr<IXMLDOMDocument2>();
  }
  if (HasDoctype(*stream.get())) {
    reason = DtdRefusedReason(ParsedDocument::kInput, path);
    return ComPtr<IXMLDOMDocument2>();
  }
  ComPtr<IXMLDOMDocument2> document = NewDocument(msxml::kDomDocument60, reason);
  if (!document) return document;
  VARIANT source{};
  source.vt = VT_UNKNOWN;
  source.punkVal = static_cast<IStream*>(stream.get());
  const auto bytes = [&path] {
    std::string read;
    ReadWholeFile(path, read);
    return read;
  };
  if (!Load(document.get(), source, ParsedDocument::kInput, path, bytes, reason)) document.reset();
  return document;
}

}  // namespace

std::optional<CompiledStylesheet> CompiledStylesheet::Compile(TextView stylesheetPath, Text& reason) {
  const Text path = FullPath(stylesheetPath);
  if (!Com().complete()) {
    reason = LibraryUnavailableReason(u"ole32.dll, oleaut32.dll");
    return std::nullopt;
  }
  if (!IsFile(ExtendedLengthPath(path))) {
    reason = StylesheetMissingReason(path);
    return std::nullopt;
  }
  // The compiled form is shared by the library's processors, so it wants the free-threaded kind.
  ComPtr<IXMLDOMDocument2> stylesheet = NewStylesheetDocument(msxml::kFreeThreadedDomDocument60, reason);
  if (!stylesheet) return std::nullopt;
  auto library = std::make_unique<Library>();
  if (!library->modules.Load(path, stylesheet.get(), reason)) return std::nullopt;
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

TransformOutcome TransformFile(const CompiledStylesheet& stylesheet, TextView inputPath, TextView writtenPath,
                               TextView outputPath) {
  const Text input = FullPath(inputPath), output = FullPath(outputPath);
  Text reason;
  ComPtr<IXMLDOMDocument2> document = LoadInput(input, reason);
  if (!document) return {false, false, reason};

  TemporaryOutput written(FullPath(writtenPath));
  if (!written.made()) return {false, false, OutputNotWrittenReason(output, SystemErrorText(written.error()))};
  ComPtr<FileStream> stream = FileStream::Over(written.handle());

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

  if (FAILED(result) || done != VARIANT_TRUE) return {false, false, TransformFailedReason(input, failure)};
  if (stream->writeError() != 0) {
    return {false, false, OutputNotWrittenReason(output, SystemErrorText(stream->writeError()))};
  }
  // Nothing written is how some implementations of the library show a failed transformation.
  if (stream->bytesWritten() == 0) return {false, false, NoResultReason(input)};
  if (!written.Keep()) return {false, false, OutputNotWrittenReason(output, SystemErrorText(written.error()))};
  return {true, false, Text()};
}

}  // namespace rt
