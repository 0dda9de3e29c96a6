#include <string>

#include "runtime/system/file_facts.h"
#include "runtime/system/system_error.h"
#include "runtime/system/win32_api.h"
#include "transform/temporary_output_win32.h"
#include "transform/xml_transform.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {
namespace {

constexpr std::size_t kWriteBlock = 256 * 1024;

}  // namespace

std::optional<CompiledStylesheet> CompiledStylesheet::Compile(TextView stylesheetPath, Text& reason,
                                                              bool& unusableSchema, const PreparingNotice& preparing) {
  const Text path = FullPath(stylesheetPath);
  if (preparing) preparing(path);
  std::shared_ptr<XsltStylesheet> compiled = XsltStylesheet::Compile(path, reason);
  if (!compiled) return std::nullopt;
  auto schemas = std::make_shared<FormatSchemas>();
  if (!schemas->Compile(path, reason, preparing)) {
    unusableSchema = true;
    return std::nullopt;
  }
  return CompiledStylesheet(std::move(compiled), std::move(schemas));
}

TransformOutcome CheckFormat(const FormatSchemas& schemas, TextView path, bool result) {
  const std::unique_ptr<CompiledSchema>& schema = result ? schemas.result : schemas.input;
  if (!schema) return {true, false, Text()};
  // What the processor reads of an input is what was checked: no DTD to name other files.
  bool schemaFault = false;
  std::optional<Text> problems = schema->Problems(FullPath(path), !result, &schemaFault);
  if (!problems) return {true, false, Text()};
  TransformOutcome mismatch{false, false, Bounded(std::move(*problems))};
  if (schemaFault) {
    mismatch.notPrepared = true;
  } else {
    mismatch.mismatch = result ? TransformOutcome::Mismatch::kSchema : TransformOutcome::Mismatch::kFormat;
  }
  return mismatch;
}

TransformOutcome TransformFile(const CompiledStylesheet& stylesheet, TextView inputPath, TextView writtenPath,
                               TextView outputPath) {
  const Text input = FullPath(inputPath), output = FullPath(outputPath);
  TemporaryOutput written(FullPath(writtenPath));
  if (!written.made()) return {false, false, OutputNotWrittenReason(output, SystemErrorText(written.error()))};
  DWORD writeError = 0;
  // The result is checked as it is written, before anyone puts it in place.
  std::optional<SchemaStreamCheck> resultCheck;
  if (stylesheet.schemas_->result) resultCheck.emplace(*stylesheet.schemas_->result, FullPath(writtenPath));
  // The library gives the result in pieces of a few kilobytes; written in larger blocks, the
  // system is asked fewer times (each a round trip under Wine).
  std::string pending;
  const auto flush = [&] {
    DWORD done = 0;
    if (pending.empty() ||
        (WriteFile(written.handle(), pending.data(), static_cast<DWORD>(pending.size()), &done, nullptr) &&
         done == pending.size())) {
      pending.clear();
      return true;
    }
    writeError = GetLastError();
    return false;
  };
  const auto write = [&](std::string_view bytes) {
    if (resultCheck) resultCheck->Take(bytes);
    pending.append(bytes);
    return pending.size() < kWriteBlock || flush();
  };
  TransformOutcome outcome = stylesheet.compiled_->Transform(input, write, stylesheet.schemas_->input.get());
  if (outcome.succeeded && !flush()) outcome = {false, false, Text()};
  if (!outcome.succeeded && writeError != 0)
    outcome.reason = OutputNotWrittenReason(output, SystemErrorText(writeError));
  if (outcome.succeeded && !written.Keep()) {
    return {false, false, OutputNotWrittenReason(output, SystemErrorText(written.error()))};
  }
  if (outcome.succeeded && resultCheck) {
    bool schemaFault = false;
    if (std::optional<Text> problems = resultCheck->Problems(&schemaFault)) {
      outcome = {false, false, Bounded(std::move(*problems))};
      if (schemaFault) {
        outcome.notPrepared = true;
      } else {
        outcome.mismatch = TransformOutcome::Mismatch::kSchema;
      }
    }
  }
  return outcome;
}

}  // namespace rt
