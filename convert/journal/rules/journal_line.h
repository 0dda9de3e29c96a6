// The journal of conversions, Vexilate-journal.csv: one line per conversion that reached a
// result, in the form Excel on a Russian Windows opens by a double-click (UTF-8 with a byte
// order mark, ";" between fields, a header line, fields quoted the CSV way when they must be).
// Lines are only ever appended, each whole; one cut short (a killed process, a power cut) is
// skipped when the journal is read. A journal a clerk saved again in Excel is read too: in the
// ANSI code page, with another separator, its columns in another order (found by the header) and
// its times in the locale's form.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/journal/rules/journal_times.h"
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
  // The input's last write time in UTC, "2026-12-08T06:15:03Z"; empty in lines of earlier versions.
  rt::Text modifiedUtc{};
};

// What a journal's lines are written in, as its header line tells.
struct JournalForm {
  static constexpr std::uint8_t kNoField = 0xFF;
  bool ansi = false;  // the ANSI code page, not UTF-8
  char separator = ';';
  // The field of each column, in the order JournalStart names them; kNoField when absent.
  std::array<std::uint8_t, 9> fieldOf{0, 1, 2, 3, 4, 5, 6, 7, 8};
  std::size_t fieldCount = 9;  // most fields a line may have
  bool ours = true;            // as the program writes it: its lines may be appended
};

// How this computer's locale writes what a spreadsheet saves.
struct JournalLocale {
  rt::Text (*ansiText)(std::string_view bytes) = nullptr;  // the ANSI code page's bytes as text
  bool dayFirst = true;                                    // "08/12/2026" is the 8th of December
};

// The form of a journal from its first line (without the line end): the program's own, or what a
// spreadsheet wrote. None when it is no journal's header.
std::optional<JournalForm> JournalFormOf(std::string_view firstLine, const JournalLocale& locale);

// How a line of a journal was read.
enum class LineRead { Entry, Skipped, Unreadable };

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

// A line of a journal in the form given: an entry; skipped (empty, the header, cut short: fewer
// fields or a quote left open); or unreadable (whole, but a time, size or word not understood: its
// input path is then read when it can be, in the ANSI code page when it is not UTF-8, empty when it
// cannot). A size may be written as a spreadsheet writes numbers: "12 345" (any blank between the
// thousands), "12,345", "12 345,00", "1,2345E+04". For a reader of millions of lines that needs
// less: which entries it wants, told by their result, size and input path (the field's bytes)
// before their texts are read; the others are skipped.
struct JournalLineNeeds {
  bool (*wanted)(JournalResult result, std::uint64_t size, std::string_view inputPath, const void* reader) = nullptr;
  const void* reader = nullptr;
};

LineRead ReadJournalLine(std::string_view line, const JournalForm& form, const JournalLocale& locale,
                         JournalEntry& entry, const JournalLineNeeds& needs = {});

// Where the line that starts at `from` ends (its "\n"); npos when it has not ended yet. A word at a
// time, faster than a search byte by byte.
std::size_t JournalLineEnd(std::string_view bytes, std::size_t from);

// The words of a result and a method as the journal writes them.
rt::TextView JournalResultWords(JournalResult result);
rt::TextView JournalMethodWords(JournalMethod method);

}  // namespace convert
