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

// Every line of a journal's file into the search; 0, or why it could not be read. A file that is
// not there has converted nothing.
std::uint32_t ReadJournalInto(const Text& path, NewFilesSearch& search) {
  std::string part;
  std::uint64_t offset = 0, size = 0;
  bool skipping = false;  // a line longer than a part is no entry: passed over to its end
  search.StartJournal();
  for (;;) {
    const std::uint32_t error = ReadFilePart(path, offset, kJournalPart, part, size);
    if (IsMissing(error)) return 0;
    if (error != 0) return error;
    if (skipping) {
      const std::size_t end = part.find('\n');
      if (end == std::string::npos) {
        if (part.size() < kJournalPart) return 0;
        offset += part.size();
        continue;
      }
      search.SkipLine();
      offset += end + 1;
      skipping = false;
      continue;
    }
    const std::size_t taken = search.TakeJournal(part);
    if (part.size() < kJournalPart || search.NotAJournal()) return 0;
    offset += taken;
    skipping = taken == 0;
  }
}

}  // namespace

Text NewFilesDirectory() { return DirectoryPath(LongPath(FullPath(CLIP(app::PATHIN)))); }

NewFilesFound FindNewFiles(const Text& directory, const Text& journalFolder) {
  if (!IsDirectory(directory)) return {{}, {}, Concat({kNoInputDirectory, directory}), true};
  const bool localTimes = KeepsLocalTimes(directory);
  std::vector<InputFile> files;
  for (ListedFile& file : ListFilesIn(directory)) {
    const LocalTime local = LocalTimeOf(file.lastWriteTime);
    files.push_back({std::move(file.path), file.size, ClockSecondsOf(file.lastWriteTime),
                     ClockSecondsAt(local.year, local.month, local.day, local.hour, local.minute, local.second),
                     localTimes});
  }
  NewFilesSearch search(std::move(files), ThisLocale());
  std::vector<Text> notes;
  for (const Text& path : JournalFiles(journalFolder)) {
    if (const std::uint32_t error = ReadJournalInto(path, search); error != 0) {
      return {{}, {}, Concat({kJournalNotRead, path, u"|", SystemErrorText(error)})};
    }
    if (search.NotAJournal()) return {{}, {}, Concat({kJournalNotRead, path, u"|", JournalLineUnreadable(1)})};
    const UnreadJournalLines& passed = search.PassedOver();
    if (passed.count > 0) {
      const std::size_t told = static_cast<std::size_t>(std::min<std::uint64_t>(passed.count, passed.first.size()));
      notes.push_back(JournalLinesPassedOver(path, {passed.first.data(), told}, passed.count));
    }
  }
  return {search.NewFiles(), search.FailedFiles(), {}, false, std::move(notes)};
}

void ConvertNewFiles(bool ask) {
  if (BatchRunning()) return Warn(kBatchInProgress, ui::control::BUTTONNEWFILES);
  if (!TextIsTrue(CLIP(app::PATHIN))) return Warn(kEnterInputPath, ui::control::BUTTONLOOKUPPATHIN);
  if (!TextIsTrue(CLIP(app::PATHOUT))) return Warn(kEnterOutputPath, ui::control::BUTTONLOOKUPPATHOUT);
  const Text directory = NewFilesDirectory();
  const NewFilesFound found = FindNewFiles(directory, JournalFolder());
  if (!found.problem.empty()) {
    return Warn(found.problem, found.noInputDirectory ? ui::control::BUTTONLOOKUPPATHIN : ui::control::BUTTONNEWFILES);
  }
  std::vector<Text> chosen = found.files;
  bool retry = false;
  if (ask || chosen.empty()) {
    // Files that failed unchanged since are not new: they are tried again only when asked.
    // Yes and No for new files, OK alone when there are none; Retry for the failed ones.
    const LONG buttons =
        (found.files.empty() ? BUTTON_OK : BUTTON_YES | BUTTON_NO) | (found.failed.empty() ? 0 : BUTTON_RETRY);
    const LONG answer = ShowMessage(NewFilesQuestion(found.files.size(), found.failed.size(), found.notes),
                                    kNewFilesCaption, kInformationIcon, DecimalText(buttons),
                                    found.files.empty() ? BUTTON_OK : BUTTON_YES, 1, kRetryFailed);
    retry = answer == BUTTON_RETRY;
    if (retry) chosen.insert(chosen.end(), found.failed.begin(), found.failed.end());
    if (answer != BUTTON_YES && answer != BUTTON_RETRY) return SelectControl(ui::control::BUTTONNEWFILES, 0, 0);
  }
  std::vector<BatchInput> inputs;
  for (const Text& path : chosen) inputs.push_back({path, false});
  // Once it has the folder's turn the batch looks again: another run may have converted some.
  StartBatch(inputs, false, {directory, retry});
}

void TellNoNewFiles() {
  ShowMessage(kNoNewFiles, kNewFilesCaption, kInformationIcon, u"", 0, 1);
  SelectControl(ui::control::BUTTONNEWFILES, 0, 0);
}

}  // namespace convert
