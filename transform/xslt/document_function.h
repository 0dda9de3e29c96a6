// document() as the XSLT library has it, but for an address written with letters beyond ASCII
// (Cyrillic file names): the library resolves only addresses in ASCII, so such letters are
// escaped first, as a browser escapes them.
#pragma once

typedef struct _xmlXPathParserContext xmlXPathParserContext;

namespace rt {

void DocumentFunction(xmlXPathParserContext* parser, int count);

}  // namespace rt
