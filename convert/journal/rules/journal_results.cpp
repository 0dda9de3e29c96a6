#include "convert/journal/rules/journal_results.h"

#include "convert/rules/conversion_messages.h"
#include "transform/xslt/transform_reasons.h"

namespace convert {

JournalMethod JournalMethodFor(rt::TextView processor) {
  return processor.empty() ? JournalMethod::BuiltIn : JournalMethod::Processor;
}

JournalResult JournalResultOf(FileResult result) {
  switch (result) {
    case FileResult::Converted:
      return JournalResult::Converted;
    case FileResult::Refused:
      return JournalResult::Refused;
    case FileResult::Failed:
      return JournalResult::Failed;
    case FileResult::NotConverted:
      return JournalResult::NotConverted;
    case FileResult::Stopped:
      return JournalResult::Stopped;
    case FileResult::NotFormat:
      return JournalResult::NotFormat;
    case FileResult::NotSchema:
      return JournalResult::NotSchema;
  }
  return JournalResult::Failed;
}

bool FailedOfItsOwn(JournalResult result, rt::TextView reason) {
  if (result == JournalResult::Refused || result == JournalResult::NotFormat || result == JournalResult::NotSchema) {
    return true;
  }
  if (result != JournalResult::Failed) return false;
  if (reason.empty()) return true;
  // Codes of 0xC0000000 and above are the system's: a crash, or the processor ended from outside.
  if (reason.starts_with(kProcessorEndedWithCode)) {
    const rt::TextView code = reason.substr(std::char_traits<char16_t>::length(kProcessorEndedWithCode));
    return !code.starts_with(u"0x") || code.size() < 3 || code[2] < u'C';
  }
  if (reason.starts_with(rt::kTransformOpening)) return reason.find(rt::kWorkerEndedTail) == rt::TextView::npos;
  return reason.starts_with(rt::kInputErrorOpening) || reason.starts_with(rt::kInputDtdOpening);
}

rt::Text JournalReasonOf(const FileReport& file) {
  if (file.result == FileResult::Converted) return OneLine(file.reason);
  // Every other row's words begin with the result's own: "Ошибка: ", "Не сконвертирован: ".
  const rt::Text words = ResultWords({{}, {}, file.result, OneLine(file.reason), FirstLine(file.captured)});
  const std::size_t label = words.find(u": ");
  return label == rt::Text::npos ? words : words.substr(label + 2);
}

rt::Text OneLine(rt::TextView message) {
  rt::Text line;
  for (const char16_t c : message) {
    if (c == kLineBreak) {
      line += u": ";
    } else {
      line += c;
    }
  }
  return line;
}

rt::RowStatus StatusOf(JournalResult result) {
  switch (result) {
    case JournalResult::Converted:
      return rt::RowStatus::Converted;
    case JournalResult::Failed:
    case JournalResult::NotFormat:
    case JournalResult::NotSchema:
      return rt::RowStatus::Failed;
    case JournalResult::Refused:
      return rt::RowStatus::Refused;
    case JournalResult::Launched:
      return rt::RowStatus::Running;
    case JournalResult::Stopped:
    case JournalResult::NotConverted:
      break;
  }
  return rt::RowStatus::NotConverted;
}

}  // namespace convert
