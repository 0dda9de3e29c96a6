#include "convert/rules/conversion_outcome.h"

#include "convert/rules/conversion_messages.h"
#include "runtime/text/number_text.h"

namespace convert {

Outcome JudgeOutcome(const ProcessorEnd& end, std::int64_t launchTime) {
  if (end.exitCode != 0) return Outcome::ExitCode;
  if (!end.outputWriteTime || *end.outputWriteTime < launchTime - kFileTimeSlack) return Outcome::NoOutput;
  return Outcome::Succeeded;
}

rt::Text ExitCodeText(std::uint32_t code) { return rt::CodeText(code); }

rt::Text FailureReason(Outcome outcome, std::uint32_t exitCode, rt::TextView outputPath) {
  if (outcome == Outcome::NoOutput) return rt::Concat({kOutputFile, outputPath, kNotCreated});
  return rt::Concat({kProcessorEndedWithCode, ExitCodeText(exitCode), u"."});
}

rt::Text FailureLine(rt::TextView inputName, Outcome outcome, std::uint32_t exitCode, rt::TextView outputPath) {
  return FailureLine(inputName, FailureReason(outcome, exitCode, outputPath));
}

rt::Text FailureLine(rt::TextView inputName, rt::TextView reason) {
  return rt::Concat({kConversionOf, inputName, kConversionFailed, reason});
}

rt::Text ConvertedLine(rt::TextView inputName, rt::TextView outputPath) {
  return rt::Concat({kConvertedFile, inputName, kConvertedInto, outputPath, u"."});
}

rt::Text MessageLines(std::span<const rt::Text> lines) {
  rt::Text message;
  for (const rt::Text& line : lines) {
    if (!message.empty()) message += kLineBreak;
    message += line;
  }
  return message;
}

}  // namespace convert
