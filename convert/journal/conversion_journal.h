// The journal of conversions, Vexilate-journal.csv beside the settings file the program writes:
// a line for each conversion that reaches a result, added as it ends, from the window's thread or
// a batch's worker. A journal another program holds keeps its lines waiting; one that cannot be
// written at all is told once in a run, and the conversions go on.
#pragma once

#include <chrono>
#include <span>

#include "convert/journal/journal_file.h"
#include "convert/journal/rules/journal_line.h"
#include "runtime/system/system_services.h"

namespace convert {

// An entry for the input as it is now: its full path, size and last write time.
JournalEntry JournalEntryFor(rt::TextView inputPath, JournalMethod method);

// Stamps the entries with the time now and appends their lines, from any thread. Lines the
// journal does not take now (another program holds it) are written with the next ones, or at
// close; when it cannot be written at all, the window is told, to tell the user.
void Journal(rt::TextView path, std::span<JournalEntry> entries, rt::HandleValue window);

// On the window's thread, with no other dialog of the program open: tells, once in a run, that
// the journal cannot be written, with its path and the system's reason.
void TellJournalProblem();

// For a run with nobody to tell: why the journal cannot be written now ("<kJournalNotWritten><path>:
// <the system's reason>"); empty when it can.
rt::Text JournalNotWritable();

// The end of such a run: writes the lines kept, waiting up to `patience` for a program that holds
// the journal; why a line of the run could not be written, empty when all were.
rt::Text FinishJournalQuietly(std::chrono::milliseconds patience);

// When the program closes: writes the lines kept, waiting a little for a program that holds the
// journal, and tells the user when they cannot be written.
void WriteJournalAtClose();

}  // namespace convert
