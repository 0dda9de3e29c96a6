// The journal of conversions, Vexilate-journal.csv beside the settings file the program writes:
// a line for each conversion that reaches a result, added as it ends, from the window's thread or
// a batch's worker. Lines the journal does not take now (another program holds it, the disk is
// full) wait in a file beside it and join it at the next write or start. A journal saved again in
// another form (by a spreadsheet) is kept beside under another name and a new one is begun. What
// cannot be written at all is told once in a run, and the conversions go on.
#pragma once

#include <chrono>
#include <span>

#include "convert/journal/journal_file.h"
#include "convert/journal/rules/journal_line.h"
#include "runtime/system/system_services.h"

namespace convert {

// An entry for the input as it is now: its full path, size and last write time.
JournalEntry JournalEntryFor(rt::TextView inputPath, JournalMethod method);

// Stamps the entries with the time now and appends their lines, from any thread; when something
// is to be told (lines lost, a journal kept under another name), the window is told, to tell the user.
void Journal(rt::TextView path, std::span<JournalEntry> entries, rt::HandleValue window);

// At start: the lines waiting beside the journal join it, when it takes them now.
void MoveWaitingJournalLines();

// On the window's thread, with no other dialog of the program open: tells, once in a run, that
// the journal cannot be written, with its path and the system's reason, and that a journal in
// another form was kept under another name.
void TellJournalProblem();

// For a run with nobody to tell: why the journal cannot be written now ("<kJournalNotWritten><path>:
// <the system's reason>"); empty when it can.
rt::Text JournalNotWritable();

// What the end of such a run says of its lines.
struct QuietJournalEnd {
  rt::Text lost;     // why a line of the run could not be written anywhere; empty when none was lost
  rt::Text notices;  // lines waiting beside the journal, a journal kept under another name; one a line
};
QuietJournalEnd FinishJournalQuietly(std::chrono::milliseconds patience);

// When the program closes: the lines waiting join the journal when it takes them now, and the
// user is told what could not be written.
void WriteJournalAtClose();

}  // namespace convert
