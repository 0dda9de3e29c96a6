// A stylesheet module read from its file, made ready for the XML library: its encoding checked,
// its DOCTYPE taken out and the entities declared there put in, then read for what the program
// refuses and for the modules it pulls in.
#pragma once

#include <string_view>

#include "transform/documents/dtd_files.h"
#include "transform/documents/stylesheet_module.h"
#include "transform/documents/xml_units.h"

namespace rt {

struct PreparedModule {
  XmlUnits units;   // without the DOCTYPE, in the file's encoding
  ModuleScan scan;  // of those units
  Text refusal;     // for the user: its encoding, its DTD, markup the program does not read
};

// `fetch` reads the files the module's DTD names (external entities, parameter entities, the
// external subset); without it each of them is refused by name.
PreparedModule PrepareModule(std::string_view bytes, TextView modulePath, const FileFetcher& fetch = {});

// The same for a file document() reads: its encoding and DTD only, no scan.
PreparedModule PrepareDataFile(std::string_view bytes, TextView path, const FileFetcher& fetch = {});

}  // namespace rt
