#include "convert/batch/batch_turns.h"

#include "convert/rules/conversion_messages.h"
#include "runtime/system/system_error.h"

namespace convert {

std::vector<rt::Text> FoldersToConvert(const BatchWork& work) {
  std::vector<rt::Text> folders;
  for (const std::size_t index : work.toConvert) folders.push_back(FolderOfFile(work.plan[index].inputPath));
  return folders;
}

rt::Text TurnNotTakenMessage(const rt::TurnTaking& taking) {
  if (taking.outcome == rt::TurnOutcome::kUnavailable) {
    return rt::Concat({kNoFolderTurn, taking.folder, u"|", rt::SystemErrorText(taking.error)});
  }
  return rt::Concat({kRunOtherRunGoesOn, taking.folder});
}

}  // namespace convert
