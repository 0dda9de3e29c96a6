// Paths and addresses of a stylesheet's modules: the file an xsl:include or xsl:import names,
// the file: URL the XML library reads a file by, and the form of a long path the file
// functions take.
#pragma once

#include <optional>

#include "runtime/text/text_value.h"

namespace rt {

// The full path of the file `href` (a URI reference) names, relative to the full path of the
// module that holds it; nothing when it names something other than a file (http:, …).
std::optional<Text> ModuleFilePath(TextView modulePath, TextView href);

// "file:///C:/…" for a full path, with "%", "#", "?" and the like escaped, so that the library
// reads that very file whatever its directories are called.
Text FileUrl(TextView fullPath);

// A full path of 248 characters or more with the "\\?\" prefix that lifts the system's
// 260-character limit; a shorter one as it is.
Text ExtendedLengthPath(TextView fullPath);

}  // namespace rt
