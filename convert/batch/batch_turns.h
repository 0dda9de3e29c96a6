// The turns a batch takes before it converts (rt::FolderTurns), so that two runs never convert the
// files of one folder at once: which folders, and what is said when a turn is not had.
#pragma once

#include <vector>

#include "convert/batch/batch_work.h"
#include "runtime/process/folder_turns.h"

namespace convert {

// The folders of the files the batch converts.
std::vector<rt::Text> FoldersToConvert(const BatchWork& work);

// Another run kept the folder beyond the time allowed, or there is no turn of it to be had.
rt::Text TurnNotTakenMessage(const rt::TurnTaking& taking);

}  // namespace convert
