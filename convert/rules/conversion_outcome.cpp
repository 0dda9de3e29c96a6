#include "convert/rules/conversion_outcome.h"

#include "convert/rules/conversion_messages.h"

namespace convert {

Outcome JudgeOutcome(const ProcessorEnd& end, std::int64_t launchTime) {
  if (end.exitCode != 0) return Outcome::ExitCode;
  if (!end.outputWriteTime || *end.outputWriteTime < launchTime - kFileTimeSlack) return Outcome::NoOutput;
  return Outcome::Succeeded;
}

rt::Text ExitCodeText(std::uint32_t code) {
  if (code < 0x80000000u) {
    const std::string digits = std::to_string(code);
    return rt::Text(digits.begin(), digits.end());
  }
  constexpr char16_t kHex[] = u"0123456789ABCDEF";
  rt::Text text = u"0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(code >> shift) & 0xF];
  return text;
}

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
