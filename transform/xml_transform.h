// Converting an XML file with an XSLT stylesheet through the program's own XSLT library, the
// result written to a file of its own that is kept only when the transformation succeeds.
#pragma once

#include <memory>
#include <optional>

#include "runtime/text/text_value.h"
#include "transform/xslt/schema_check.h"
#include "transform/xslt/xslt_stylesheet.h"

namespace rt {

// A stylesheet compiled once for a batch of files, with the schemas of its formats that lie
// beside it. Scripts are refused in every module; every file the stylesheet reads lies in its
// folder (see ReadGuard).
class CompiledStylesheet {
 public:
  // The compiled stylesheet, or nothing and the reason why not; `unusableSchema` tells when that
  // is a schema beside it. `preparing` is told each file as its preparing begins.
  static std::optional<CompiledStylesheet> Compile(TextView stylesheetPath, Text& reason, bool& unusableSchema,
                                                   const PreparingNotice& preparing = {});

 private:
  friend TransformOutcome TransformFile(const CompiledStylesheet&, TextView, TextView, TextView);
  CompiledStylesheet(std::shared_ptr<const XsltStylesheet> compiled, std::shared_ptr<const FormatSchemas> schemas)
      : compiled_(std::move(compiled)), schemas_(std::move(schemas)) {}
  std::shared_ptr<const XsltStylesheet> compiled_;
  std::shared_ptr<const FormatSchemas> schemas_;
};

// The file checked against its format's schema, the input's or the result's, when there is one:
// succeeded when it matches, a mismatch with what does not.
TransformOutcome CheckFormat(const FormatSchemas& schemas, TextView path, bool result);

// Checks the input against its schema, parses it (no DTD), runs the stylesheet and writes what it
// gives, bytes as the stylesheet's xsl:output asks, to `writtenPath`, a new file, then checks that
// against the result's schema. That file stays, whole, only when the transformation gave a
// result (also one that does not match, to be kept aside); on any other failure, and when the
// process is ended in the middle, it goes. `outputPath` is the output the result is for.
TransformOutcome TransformFile(const CompiledStylesheet& stylesheet, TextView inputPath, TextView writtenPath,
                               TextView outputPath);

}  // namespace rt
