// What a batch tells at its end: a row per file given, the counts, and the table as text for
// the clipboard.
#pragma once

#include <span>

#include "runtime/text/text_value.h"

namespace convert {

// Stopped: the processor was ended in the middle of the file by Cancel; it counts among the
// files not converted. NotFormat: the input does not match the format's schema, so it was not
// converted; NotSchema: the result does not, so it was kept aside. Both count as failures.
enum class FileResult { Converted, Refused, Failed, NotConverted, Stopped, NotFormat, NotSchema };

struct FileReport {
  rt::Text inputName;
  rt::Text outputName;
  FileResult result = FileResult::NotConverted;
  rt::Text reason;           // why it was refused or failed
  rt::Text captured;         // what the processor wrote to its standard output and error
  bool capturedCut = false;  // it wrote more than was kept
};

struct BatchCounts {
  int converted = 0;
  int refused = 0;
  int failed = 0;
  int notConverted = 0;
};

BatchCounts CountResults(std::span<const FileReport> files);

// "Сконвертировано: 2, отклонено: 3, с ошибкой: 1, не сконвертировано: 0 (всего файлов: 6)".
rt::Text SummaryLine(const BatchCounts& counts);

// The result column: for a failure the reason and the first line of the processor's text.
rt::Text ResultWords(const FileReport& file);

// What the report shows in full for the selected row: the result, then the processor's text
// with its line breaks as CR LF, and a line saying so when that text was cut.
rt::Text DetailsText(const FileReport& file, std::size_t captureLimit);

// The first line of a text that holds anything but blanks and line breaks.
rt::Text FirstLine(rt::TextView text);

// A header line and a row per file, columns separated by tabs, lines by CR LF.
rt::Text ReportTable(std::span<const FileReport> files);

}  // namespace convert
