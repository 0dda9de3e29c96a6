// The conversions whose processor still runs, and what the user is told and the journal keeps
// when they end.
#pragma once

#include <cstdint>
#include <memory>

#include "convert/journal/rules/journal_line.h"
#include "runtime/process/folder_turns.h"
#include "runtime/system/system_services.h"

namespace convert {

struct StartedConversion {
  rt::Text inputName;           // the input file's name, without its directory
  rt::Text outputPath;          // full, as the processor resolves it
  std::int64_t launchTime = 0;  // file time just before the launch
  JournalEntry journal;         // the input's facts as it started; the rest when it ends
  // The input folder's turn, taken on the window's thread and let go there as the end is
  // journaled: no other run converts the folder meanwhile.
  std::shared_ptr<rt::FolderTurns> turn{};
};

// Keeps the started processor's process and what is needed to judge its end.
void WatchConversion(rt::HandleValue process, StartedConversion conversion);

// Judges every conversion whose processor has ended; the failures among them are told in
// one warning, a line each, with the focus on Convert afterwards. A success shows nothing.
void ConversionsEnded();

// Journals how the conversion ended. On the window's thread.
void JournalEnd(StartedConversion conversion, JournalResult result, rt::TextView reason);

// The program is closing, its own conversions stopped: ends not taken yet are journaled without
// a word, and each processor still running as launched.
void JournalConversionsAtClose();

}  // namespace convert
