#include "runtime/system/file_facts.h"
#include "runtime/system/system_error.h"
#include "runtime/system/win32_api.h"
#include "transform/temporary_output_win32.h"
#include "transform/xml_transform.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {

std::optional<CompiledStylesheet> CompiledStylesheet::Compile(TextView stylesheetPath, Text& reason) {
  std::shared_ptr<XsltStylesheet> compiled = XsltStylesheet::Compile(FullPath(stylesheetPath), reason);
  if (!compiled) return std::nullopt;
  return CompiledStylesheet(std::move(compiled));
}

TransformOutcome TransformFile(const CompiledStylesheet& stylesheet, TextView inputPath, TextView writtenPath,
                               TextView outputPath) {
  const Text input = FullPath(inputPath), output = FullPath(outputPath);
  TemporaryOutput written(FullPath(writtenPath));
  if (!written.made()) return {false, false, OutputNotWrittenReason(output, SystemErrorText(written.error()))};
  DWORD writeError = 0;
  const auto write = [&](std::string_view bytes) {
    DWORD done = 0;
    if (WriteFile(written.handle(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
        done == bytes.size())
      return true;
    writeError = GetLastError();
    return false;
  };
  TransformOutcome outcome = stylesheet.compiled_->Transform(input, write);
  if (!outcome.succeeded && writeError != 0)
    outcome.reason = OutputNotWrittenReason(output, SystemErrorText(writeError));
  if (outcome.succeeded && !written.Keep()) {
    return {false, false, OutputNotWrittenReason(output, SystemErrorText(written.error()))};
  }
  return outcome;
}

}  // namespace rt
