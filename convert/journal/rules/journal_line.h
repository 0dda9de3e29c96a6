// The journal of conversions, Vexilate-journal.csv: one line per conversion that reached a
// result, in the form Excel on a Russian Windows opens by a double-click (UTF-8 with a byte
// order mark, ";" between fields, a header line, fields quoted the CSV way when they must be).
// Lines are only ever appended, each whole; one cut short (a killed process, a power cut) is
// skipped when the journal is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text/text_value.h"

namespace convert {

inline constexpr char16_t kJournalFileName[] = u"Vexilate-journal.csv";

// How a conversion ended, as the journal writes it.
enum class JournalResult { Converted, Failed, Stopped, NotConverted, Refused, Launched, NotFormat, NotSchema };

// How it was converted.
enum class JournalMethod { Processor, BuiltIn };

struct JournalEntry {
  rt::Text time;           // local time, "2026-12-08 09:15:03"
  rt::Text inputPath;      // full
  std::uint64_t size = 0;  // of the input, in bytes
  rt::Text modified;       // the input's last write time, in the same form
  rt::Text outputPath;     // full; empty when there is none
  JournalMethod method = JournalMethod::Processor;
  JournalResult result = JournalResult::Converted;
  rt::Text reason;  // the report's reason; line breaks are written as blanks
};

// The bytes a new journal starts with: the byte order mark and the header line.
std::string JournalStart();

// One entry as one line, ending in CR LF, UTF-8.
std::string JournalLine(const JournalEntry& entry);

// The entries of a journal's bytes, oldest first: the byte order mark and header, empty lines
// and lines cut short or not of this form are skipped.
std::vector<JournalEntry> ReadJournal(std::string_view bytes);

// One line of them, without its line end: false when it is no entry. The entry's texts keep their
// room from one line to the next, so that a long journal is read without allocating for each line.
bool ReadJournalLine(std::string_view line, JournalEntry& entry);

// "2026-12-08 09:15:03" from its parts.
rt::Text JournalTime(int year, int month, int day, int hour, int minute, int second);

// The words of a result and a method as the journal writes them.
rt::TextView JournalResultWords(JournalResult result);
rt::TextView JournalMethodWords(JournalMethod method);

}  // namespace convert
