// A stylesheet compiled once by the XSLT library, and files transformed with it; every file the
// library reads for either is decided by the rule of ReadGuard, and nothing else is read.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "runtime/text/text_value.h"
#include "transform/xslt/read_guard.h"

typedef struct _xsltStylesheet xsltStylesheet;

namespace rt {

class CompiledSchema;
class LibraryMessages;

struct TransformOutcome {
  bool succeeded = false;
  bool stopped = false;  // ended on request before it came to an end of its own
  Text reason;           // for the user, when it failed
  // The input, or the result, does not match its format's schema (the reason says how).
  enum class Mismatch { kNone, kFormat, kSchema } mismatch = Mismatch::kNone;
  // The stylesheet, or a schema beside it, cannot be prepared or used (the reason names it): no
  // file can be converted with it, and none is to blame.
  bool notPrepared = false;
};

// The libraries made ready, once per process: the program's ways to files, the code pages, the
// extension functions.
void PrepareXsltLibraries();

class XsltStylesheet {
 public:
  // The stylesheet at `path` (a full path) compiled; null, with the reason for the user, when
  // it cannot be, or when a module uses scripts. `reads`, when given, gets the compilation's
  // decisions whatever its end.
  static std::unique_ptr<XsltStylesheet> Compile(TextView path, Text& reason,
                                                 std::vector<ReadDecision>* reads = nullptr);
  ~XsltStylesheet();
  XsltStylesheet(const XsltStylesheet&) = delete;
  XsltStylesheet& operator=(const XsltStylesheet&) = delete;

  // Takes the result's bytes in order; false when they cannot be written.
  using Writer = std::function<bool(std::string_view bytes)>;
  // Reads the input (the program reads it, and refuses a DTD in it), runs the stylesheet and
  // gives the result, as the stylesheet's xsl:output asks, to `write`. When `write` fails the
  // outcome is a failure with no reason: the writer knows why.
  // With `inputSchema`, the input parsed is first checked against it (a mismatch of its format).
  TransformOutcome Transform(TextView inputPath, const Writer& write,
                             const CompiledSchema* inputSchema = nullptr) const;

  // The reads decided for the compilation, then those of the latest transformation.
  const std::vector<ReadDecision>& reads() const { return reads_; }

 private:
  XsltStylesheet() = default;
  TransformOutcome TransformWith(LibraryMessages& messages, TextView inputPath, const Writer& write,
                                 const CompiledSchema* inputSchema) const;

  xsltStylesheet* compiled_ = nullptr;
  Text path_, folder_, spelled_;
  mutable std::vector<ReadDecision> reads_;
  std::size_t compilationReads_ = 0;
};

}  // namespace rt
