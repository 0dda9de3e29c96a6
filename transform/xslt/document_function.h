// document() as the XSLT library has it, but for addresses as stylesheets written for Windows
// spell them ("C:\data\codes.xml", "data\codes.xml", "\\server\share\x.xml"), which mean the
// paths they name, and for an address written with letters beyond ASCII (Cyrillic file names):
// the library resolves only addresses in ASCII, so such letters are escaped first, as a browser
// escapes them. An address the library could not resolve is refused, never read as nothing.
#pragma once

typedef struct _xmlXPathParserContext xmlXPathParserContext;

namespace rt {

void DocumentFunction(xmlXPathParserContext* parser, int count);

}  // namespace rt
