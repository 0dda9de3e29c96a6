// Converting an XML file with an XSLT stylesheet through the program's own XSLT library, the
// result written to a file of its own that is kept only when the transformation succeeds.
#pragma once

#include <memory>
#include <optional>

#include "runtime/text/text_value.h"
#include "transform/xslt/xslt_stylesheet.h"

namespace rt {

// A stylesheet compiled once for a batch of files. Scripts are refused in every module; every
// file the stylesheet reads lies in its folder (see ReadGuard).
class CompiledStylesheet {
 public:
  // The compiled stylesheet, or nothing and the reason why not.
  static std::optional<CompiledStylesheet> Compile(TextView stylesheetPath, Text& reason);

 private:
  friend TransformOutcome TransformFile(const CompiledStylesheet&, TextView, TextView, TextView);
  explicit CompiledStylesheet(std::shared_ptr<const XsltStylesheet> compiled) : compiled_(std::move(compiled)) {}
  std::shared_ptr<const XsltStylesheet> compiled_;
};

// Parses the input (no DTD), runs the stylesheet and writes what it gives, bytes as the
// stylesheet's xsl:output asks, to `writtenPath`, a new file. That file stays, whole, only when
// the transformation gave a result; on any failure, and when the process is ended in the middle,
// it goes. `outputPath` is the output the result is for, as reasons name it.
TransformOutcome TransformFile(const CompiledStylesheet& stylesheet, TextView inputPath, TextView writtenPath,
                               TextView outputPath);

}  // namespace rt
