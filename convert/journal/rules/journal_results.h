// What the journal says of a conversion that reached a result: the word of the result and the
// reason on one line, from a row of a batch's report or from what one file's message says.
#pragma once

#include "convert/journal/rules/journal_line.h"
#include "convert/rules/batch_report.h"
#include "runtime/dialogs/row_status.h"

namespace convert {

// Through the processor found, or built in when none was.
JournalMethod JournalMethodFor(rt::TextView processor);

JournalResult JournalResultOf(FileResult result);

// The small icon of a row with this result, in the journal's window and a batch's report.
rt::RowStatus StatusOf(JournalResult result);

// Whether a try failed for a cause the file carries, so that trying it again as it is would fail
// again: its name refused, its content not XML, not of the format or making a result the result's
// schema refuses, an error the stylesheet reports on it, the processor's own exit code for it; or a
// failure that tells no cause. Anything else (the output held or the disk full, the processor or
// the built-in worker that could not start or crashed, memory run out, a stylesheet or schema that
// could not be prepared, a file it reads) lies in its surroundings, as a stop does.
bool FailedOfItsOwn(JournalResult result, rt::TextView reason);

// The reason as the report's row shows it, without the result's own word: for a failure with the
// first line of the processor's text.
rt::Text JournalReasonOf(const FileReport& file);

// A message's lines as one: "Не удалось запустить msxsl.exe: <the system's reason>".
rt::Text OneLine(rt::TextView message);

}  // namespace convert
