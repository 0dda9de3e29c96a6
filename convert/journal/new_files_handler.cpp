#include "convert/journal/new_files_handler.h"

#include "app/globals.h"
#include "convert/batch/batch_conversion.h"
#include "convert/convert_handler.h"
#include "convert/journal/journal_file.h"
#include "convert/journal/rules/new_files.h"
#include "convert/rules/batch_plan.h"
#include "convert/rules/conversion_messages.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/file_part.h"
#include "runtime/system/system_error.h"
#include "runtime/window/dialog_services.h"
#include "ui/main_window_definition.h"

namespace convert {
namespace {

using namespace rt;

// The journal is read a part at a time: what it holds costs no more memory than one part.
constexpr std::size_t kJournalPart = 1 << 20;

// Every line of the journal into the search; 0, or why the journal could not be read. A journal
// that is not there yet has converted nothing.
std::uint32_t ReadJournalInto(NewFilesSearch& search) {
  const Text path = JournalPath();
  std::string part;
  std::uint64_t offset = 0, size = 0;
  for (;;) {
    const std::uint32_t error = ReadFilePart(path, offset, kJournalPart, part, size);
    if (IsMissing(error)) return 0;
    if (error != 0) return error;
    const std::size_t taken = search.TakeJournal(part);
    // The last part may end in a line cut short; a line longer than a part is no line of the journal.
    if (part.size() < kJournalPart || taken == 0) return 0;
    offset += taken;
  }
}

}  // namespace

NewFilesFound FindNewFiles() {
  // By its long names, as the file dialog gives the files in it.
  const Text directory = DirectoryPath(LongPath(FullPath(CLIP(app::PATHIN))));
  if (!IsDirectory(directory)) return {{}, Concat({kNoInputDirectory, directory}), true};
  std::vector<InputFile> files;
  for (ListedFile& file : ListFilesIn(directory)) {
    files.push_back({std::move(file.path), file.size, JournalFileTime(file.lastWriteTime)});
  }
  NewFilesSearch search(std::move(files));
  if (const std::uint32_t error = ReadJournalInto(search); error != 0) {
    return {{}, Concat({kJournalNotRead, JournalPath(), u"|", SystemErrorText(error)})};
  }
  return {search.NewFiles(), {}};
}

void ConvertNewFiles(bool ask) {
  if (BatchRunning()) return Warn(kBatchInProgress, ui::control::BUTTONNEWFILES);
  if (!TextIsTrue(CLIP(app::PATHIN))) return Warn(kEnterInputPath, ui::control::BUTTONLOOKUPPATHIN);
  if (!TextIsTrue(CLIP(app::PATHOUT))) return Warn(kEnterOutputPath, ui::control::BUTTONLOOKUPPATHOUT);
  const NewFilesFound found = FindNewFiles();
  if (!found.problem.empty()) {
    return Warn(found.problem, found.noInputDirectory ? ui::control::BUTTONLOOKUPPATHIN : ui::control::BUTTONNEWFILES);
  }
  if (found.files.empty()) {
    ShowMessage(kNoNewFiles, kNewFilesCaption, kInformationIcon, u"", 0, 1);
    return SelectControl(ui::control::BUTTONNEWFILES, 0, 0);
  }
  if (ask && ShowMessage(NewFilesQuestion(found.files.size()), kNewFilesCaption, kInformationIcon, u"6", BUTTON_YES,
                         1) != BUTTON_YES) {
    return SelectControl(ui::control::BUTTONNEWFILES, 0, 0);
  }
  std::vector<BatchInput> inputs;
  for (const Text& path : found.files) inputs.push_back({path, false});
  StartBatch(inputs, false);
}

}  // namespace convert
