#include "convert/rules/batch_report.h"

#include <string>

#include "convert/rules/conversion_messages.h"
#include "runtime/text/number_text.h"

namespace convert {
namespace {

// A cell may not break the table: tabs and line breaks become blanks.
rt::Text Cell(rt::TextView text) {
  rt::Text cell(text);
  for (char16_t& c : cell) {
    if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
  }
  return cell;
}

// A multi-line edit breaks lines at CR LF only; console programs often write LF alone.
rt::Text WithCrLf(rt::TextView text) {
  rt::Text result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) result += u'\r';
    result += text[i];
  }
  return result;
}

}  // namespace

BatchCounts CountResults(std::span<const FileReport> files) {
  BatchCounts counts;
  for (const FileReport& file : files) {
    switch (file.result) {
      case FileResult::Converted:
        ++counts.converted;
        break;
      case FileResult::Refused:
        ++counts.refused;
        break;
      case FileResult::Failed:
      case FileResult::NotFormat:
      case FileResult::NotSchema:
        ++counts.failed;
        break;
      case FileResult::NotConverted:
      case FileResult::Stopped:
        ++counts.notConverted;
        break;
    }
  }
  return counts;
}

rt::Text SummaryLine(const BatchCounts& counts) {
  const int total = counts.converted + counts.refused + counts.failed + counts.notConverted;
  return rt::Concat({kCountConverted, rt::DecimalText(counts.converted), kCountRefused, rt::DecimalText(counts.refused),
                     kCountFailed, rt::DecimalText(counts.failed), kCountNotConverted,
                     rt::DecimalText(counts.notConverted), kCountTotal, rt::DecimalText(total), u")"});
}

rt::Text FirstLine(rt::TextView text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == rt::TextView::npos) end = text.size();
    const rt::TextView line = text.substr(start, end - start);
    const auto first = line.find_first_not_of(u" \t");
    if (first != rt::TextView::npos) return rt::Text(line.substr(first, line.find_last_not_of(u" \t") - first + 1));
    start = end + 1;
  }
  return {};
}

rt::Text ResultWords(const FileReport& file) {
  switch (file.result) {
    case FileResult::Converted:
      return kResultConverted;
    case FileResult::Refused:
      return rt::Concat({kResultRefused, file.reason});
    case FileResult::Failed: {
      const rt::Text line = FirstLine(file.captured);
      return line.empty() ? rt::Concat({kResultFailed, file.reason})
                          : rt::Concat({kResultFailed, file.reason, u" ", line});
    }
    case FileResult::NotConverted:
      return file.reason.empty() ? rt::Text(kResultNotConverted) : rt::Concat({kResultNotConvertedLabel, file.reason});
    case FileResult::Stopped:
      return file.reason.empty() ? rt::Text(kResultStopped) : rt::Concat({kResultStoppedLabel, file.reason});
    case FileResult::NotFormat:
      return rt::Concat({kResultNotFormat, file.reason});
    case FileResult::NotSchema:
      return rt::Concat({kResultNotSchema, file.reason});
  }
  return {};
}

rt::Text DetailsText(const FileReport& file, std::size_t captureLimit) {
  const rt::Text result = ResultWords(file);
  if (file.captured.empty() && !file.capturedCut) return result;
  rt::Text details = rt::Concat({result, u"\r\n\r\n", WithCrLf(file.captured)});
  if (file.capturedCut) {
    details += rt::Concat({u"\r\n", kOutputCut, rt::DecimalText(captureLimit / 1024), kOutputCutUnit});
  }
  return details;
}

rt::Text ReportTable(std::span<const FileReport> files) {
  rt::Text table = rt::Concat({kColumnInput, u"\t", kColumnOutput, u"\t", kColumnResult, u"\r\n"});
  for (const FileReport& file : files) {
    table += rt::Concat({Cell(file.inputName), u"\t", Cell(file.outputName), u"\t", Cell(ResultWords(file)), u"\r\n"});
  }
  return table;
}

}  // namespace convert
