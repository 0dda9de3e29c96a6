#include "transform/xml_document_win32.h"

#include "runtime/system/owned_handle_win32.h"
#include "transform/documents/module_paths.h"
#include "transform/documents/xml_error_place.h"

namespace rt {
namespace {

// The library refuses deeper or larger documents with a load error. A document of the format
// nests a few levels; 256 is the library's own default in version 6, set here for every
// version and implementation. 256 Mi characters (the limit counts blocks of 1024) is far
// beyond any real file, and about what the document of such a file can take of a 32-bit
// process: a larger one is refused by name instead of failing for lack of memory.
constexpr LONG kMaxElementDepth = 256;
constexpr LONG kMaxSizeInKiloCharacters = 256 * 1024;

void SetNumber(IXMLDOMDocument2* document, TextView name, LONG value) {
  VARIANT setting{};
  setting.vt = VT_I4;
  setting.lVal = value;
  document->setProperty(Bstr(name).get(), setting);
}

}  // namespace

DWORD ReadWholeFile(const Text& path, std::string& bytes) {
  bytes.clear();
  const OwnedHandle file(CreateFileW(Wide(ExtendedLengthPath(path)), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return GetLastError();
  char buffer[65536];
  DWORD read = 0, error = 0;
  while ((error = ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) ? 0 : GetLastError()) == 0 && read > 0) {
    bytes.append(buffer, read);
  }
  return error;
}

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

// Not every implementation of the library knows every setting (Wine's ignores the limits), so
// the program checks the outcome again itself.
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
  SetNumber(document.get(), u"MaxElementDepth", kMaxElementDepth);
  SetNumber(document.get(), u"MaxXMLSize", kMaxSizeInKiloCharacters);
  return document;
}

ComPtr<IXMLDOMDocument2> NewStylesheetDocument(const CLSID& kind, Text& reason) {
  ComPtr<IXMLDOMDocument2> document = NewDocument(kind, reason);
  if (!document) return document;
  document->put_resolveExternals(VARIANT_TRUE);
  SetFlag(document.get(), u"AllowXsltScript", false);
  // document() reads what the program has judged and copied beside the modules: the module
  // itself, files beside the stylesheet (stylesheet_modules_win32.h).
  SetFlag(document.get(), u"AllowDocumentFunction", true);
  SetText(document.get(), u"SelectionLanguage", u"XPath");
  return document;
}

bool Load(IXMLDOMDocument2* document, const VARIANT& source, ParsedDocument which, const Text& path,
          const std::function<std::string()>& bytes, Text& reason) {
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
      if (const auto place = FirstMalformedPlace(bytes())) {
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

}  // namespace rt
