// A program started without a window, suspended until it is in a job of its own, so that
// nothing it starts escapes the job and ending the job ends all of it.
#pragma once

#include "runtime/system/owned_handle_win32.h"
#include "runtime/text/text_value.h"

namespace rt {

struct HiddenStart {
  OwnedHandle job;      // ends every process in it when it is closed, as when this program ends
  OwnedHandle process;  // null when it did not start
  DWORD id = 0;
  DWORD error = 0;  // why it did not start
  // A program that runs in a job of its own which allows no other (Windows 7 without
  // breakaway) cannot be put in ours; then it alone can be ended.
  bool inJob = false;
};

// Starts `program` (a full path) with the parameter text in `directory` (empty: the current
// one), its standard handles those given (inheritable ones; null for none). A memory limit
// other than 0 bounds what each process of the job may commit.
HiddenStart StartHidden(TextView program, TextView parameters, TextView directory, HANDLE input, HANDLE output,
                        HANDLE error, std::size_t memoryLimit = 0);

// Ends the job, or the program alone when it is not in one, and waits a moment for its end.
void EndHidden(const HiddenStart& started, UINT exitCode);

}  // namespace rt
