// A document of the system XML library, set up to read nothing beyond itself, and loaded with
// a failure told as the user reads it.
#pragma once

#include <functional>
#include <string>

#include "runtime/com/com_support_win32.h"
#include "transform/documents/xml_transform_reasons.h"
#include "transform/msxml_api_win32.h"

namespace rt {

// No DTD, nothing external, limits on size and depth. Null with the reason when the library
// cannot be had.
ComPtr<IXMLDOMDocument2> NewDocument(const CLSID& kind, Text& reason);

// A document for a stylesheet module, as the library must read every module: as NewDocument,
// no scripts, and document() for what the program has judged and copied. External resources
// are resolved, which is what lets the library read the modules that xsl:include and
// xsl:import name (some implementations resolve none with it off); with DTDs prohibited, those
// copies are all it can reach.
ComPtr<IXMLDOMDocument2> NewStylesheetDocument(const CLSID& kind, Text& reason);

// The whole file; 0 or the system's error code.
DWORD ReadWholeFile(const Text& path, std::string& bytes);

void SetFlag(IXMLDOMDocument2* document, TextView name, bool value);
void SetText(IXMLDOMDocument2* document, TextView name, TextView value);

// Loads from a URL or a stream. A document the library refuses is told by `path`; where the
// library does not say where the mistake is, the program looks for it in `bytes()` itself.
bool Load(IXMLDOMDocument2* document, const VARIANT& source, ParsedDocument which, const Text& path,
          const std::function<std::string()>& bytes, Text& reason);

}  // namespace rt
