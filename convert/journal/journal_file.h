// Where the journal of conversions is, and how it writes a file's time: what its window and
// «Новые файлы» read. Beside it wait the lines that could not be written to it when they were
// made, and lie the journals a spreadsheet saved in another form, kept when a new one was begun.
#pragma once

#include <cstdint>
#include <vector>

#include "convert/journal/rules/journal_line.h"
#include "runtime/system/line_appender.h"
#include "runtime/text/text_value.h"

namespace convert {

// Beside the settings file the program writes: beside the executable, or in the user's own folder.
rt::Text JournalPath();

// "Vexilate-journal.waiting.csv" beside the journal given: lines waiting to be written to it, in its
// form. From any thread: the settings are not read.
rt::Text WaitingPathOf(rt::TextView journal);
rt::Text JournalWaitingPath();

// Where the journal's lines wait: the files that hold some now, oldest first, and where new ones
// may wait, in the order tried: the waiting file beside it; when that is held (a spreadsheet has it
// open), a waiting file of this run's own beside it; when the journal's disk is full, one in the
// user's own data folder.
rt::WaitingPlaces WaitingPlacesOf(rt::TextView journal);

// "Vexilate-journal.2026-12-08-091503.csv" beside the journal given: where a journal in another form
// is kept, by the local time given, when a new one is begun.
rt::Text KeptJournalPath(rt::TextView journal, std::int64_t fileTime);

// The folder of the journal and of the files beside it.
rt::Text JournalFolder();

// The program's own files, which no stylesheet may read: the settings file and, beside the journal
// given, the journal's files (a name may hold one "*").
std::vector<rt::Text> ProgramFiles(rt::TextView journal);

// The journal's files in its folder, oldest lines first: the kept ones, the journal, the lines
// waiting. The folder is given: a batch's worker reads them without reading the settings.
std::vector<rt::Text> JournalFiles(const rt::Text& folder);

// How this computer's locale writes what a spreadsheet saves.
JournalLocale ThisLocale();

// A file time in the journal's form, the local time of then: "2026-12-08 09:15:03".
rt::Text JournalFileTime(std::int64_t fileTime);

}  // namespace convert
