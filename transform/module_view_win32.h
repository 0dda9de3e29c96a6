// A stylesheet module as the system XML library itself has read it: its parse, for the program's
// checks to read. A check made on the very document the library compiles cannot be fooled by a
// way of writing that the library reads otherwise than the program's own reader.
#pragma once

#include "transform/documents/module_view.h"
#include "transform/msxml_api_win32.h"

namespace rt {

// Every element of the document in document order, elements within entity references too.
ModuleView ViewOf(IXMLDOMDocument2* document);

}  // namespace rt
