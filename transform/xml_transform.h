// Converting an XML file with an XSLT stylesheet through the system XML library.
#pragma once

#include <memory>
#include <optional>

#include "runtime/com/com_thread_scope.h"
#include "runtime/text/text_value.h"

namespace rt {

struct TransformOutcome {
  bool succeeded = false;
  bool stopped = false;  // ended on request before it came to an end of its own
  Text reason;           // for the user, when it failed
};

// A stylesheet loaded and compiled once for a batch of files. It is built, used and let go
// on one thread while that thread has COM (see ComThreadScope). Scripts and the document()
// function are refused in every module the stylesheet includes or imports: a stylesheet that
// uses them does not compile.
class CompiledStylesheet {
 public:
  // The compiled stylesheet, or nothing and the reason why not.
  static std::optional<CompiledStylesheet> Compile(TextView stylesheetPath, Text& reason);

  CompiledStylesheet(CompiledStylesheet&&) noexcept;
  CompiledStylesheet& operator=(CompiledStylesheet&&) noexcept;
  ~CompiledStylesheet();

 private:
  struct Library;  // the system library's objects
  friend TransformOutcome TransformFile(const CompiledStylesheet&, TextView, TextView, TextView);

  explicit CompiledStylesheet(std::unique_ptr<Library> library);
  std::unique_ptr<Library> library_;
};

// Parses the input (no DTD, nothing external), runs the stylesheet and writes what it gives,
// bytes as the stylesheet's xsl:output asks, to `writtenPath`, a new file. That file stays, whole,
// only when the transformation gave a result; on any failure, and when the process is ended in
// the middle, it goes. `outputPath` is the output the result is for, as reasons name it.
TransformOutcome TransformFile(const CompiledStylesheet& stylesheet, TextView inputPath, TextView writtenPath,
                               TextView outputPath);

}  // namespace rt
