// How a started conversion ended, judged from what the processor left behind: its exit code
// and the output file. Times are the platform's file times (100-nanosecond units), so the
// rule needs no platform.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "runtime/text/text_value.h"

namespace convert {

inline constexpr std::int64_t kFileTimeSecond = 10'000'000;
// File systems that keep times to two seconds may stamp a fresh output before the launch.
inline constexpr std::int64_t kFileTimeSlack = 2 * kFileTimeSecond;

struct ProcessorEnd {
  std::uint32_t exitCode = 0;
  std::optional<std::int64_t> outputWriteTime;  // none when the output file does not exist
};

enum class Outcome { Succeeded, ExitCode, NoOutput };

// Succeeded only with exit code 0 and an output written since the launch; an old output
// left from an earlier run does not count.
Outcome JudgeOutcome(const ProcessorEnd& end, std::int64_t launchTime);

// Decimal, or for codes of 0x80000000 and above (system status codes such as a closed
// console's) hexadecimal as "0xC000013A".
rt::Text ExitCodeText(std::uint32_t code);

// Why a conversion failed, as a sentence: "msxsl.exe завершился с кодом 2." and the like.
rt::Text FailureReason(Outcome outcome, std::uint32_t exitCode, rt::TextView outputPath);

// The line that tells the user why the conversion of `inputName` failed.
rt::Text FailureLine(rt::TextView inputName, Outcome outcome, std::uint32_t exitCode, rt::TextView outputPath);

// The same line with a reason given in words (the XML library's).
rt::Text FailureLine(rt::TextView inputName, rt::TextView reason);

// "Файл <name> сконвертирован в <output path>."
rt::Text ConvertedLine(rt::TextView inputName, rt::TextView outputPath);

// Ends told together (failures, or successes): one message, a line each.
rt::Text MessageLines(std::span<const rt::Text> lines);

}  // namespace convert
