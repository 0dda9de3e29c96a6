// The libraries' messages in words a clerk can act on.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// The clerk's words for one of the XML and XSLT libraries' messages (UTF-8 in and out): the
// common ones said in Russian first, the library's own English kept after it in brackets for
// whoever maintains the stylesheet; any other as the library says it. Advice a clerk cannot
// follow is left out either way. `domain` and `code` as xmlError gives them (libxml/xmlerror.h);
// 0 and 0 for messages that come without them (the XSLT library's generic errors).
std::string ClerkText(int domain, int code, std::string_view message);

// An xsl:message with terminate="yes": the XSLT library says nothing of its own then, it passes
// on the stylesheet's text alone (as a generic error) and stops. The caller, who sees the
// transformation stopped, tells the clerk so; the stylesheet's text is kept as it is.
std::string StylesheetStopText(std::string_view stylesheetText);

}  // namespace rt
