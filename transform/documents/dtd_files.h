// Files a DOCTYPE names by SYSTEM identifiers (external entities, parameter entities, the external
// subset): fetched by the caller, which alone decides which paths may be read, and made into
// text that can stand in the module.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/text/text_value.h"
#include "transform/documents/xml_units.h"

namespace rt {

enum class FetchOutcome { kRead, kRefused, kUnreadable };

struct FetchedFile {
  FetchOutcome outcome = FetchOutcome::kRefused;
  Text path;          // the file's full path: told to the user, and the base of identifiers in it
  std::string bytes;  // kRead
  Text systemText;    // kUnreadable: why, in the system's words
};

// `systemId` as written, resolved against `base`: the module's path, or the path of the fetched
// file that holds the declaration.
using FileFetcher = std::function<FetchedFile(TextView systemId, TextView base)>;

// What a module's DTD may read beside it; without a fetcher every file is refused by name.
struct DtdFiles {
  FileFetcher fetch;
  Text modulePath;
  UnitForm form = UnitForm::kBytes;  // the module's
  Text encoding;                     // the module's, as EncodingOf tells it
};

struct DtdFileText {
  Text text;               // without its text declaration, line ends made LF, in the module's units
  Text refusedEncoding;    // the file's encoding, when its text cannot stand in the module as it is
  bool malformed = false;  // its text declaration
};

// Units stand in the module as they are when both are UTF-16, or both in one byte encoding, or
// the file's text is ASCII; anything else would need converting and is refused.
DtdFileText TextOfDtdFile(std::string_view bytes, const DtdFiles& files);

}  // namespace rt
