#include "convert/journal/rules/new_files.h"

#include <algorithm>
#include <utility>

#include "convert/rules/batch_plan.h"

namespace convert {

NewFilesSearch::NewFilesSearch(std::vector<InputFile> files) {
  std::erase_if(files, [](const InputFile& file) { return !IsXmlName(file.path); });
  std::sort(files.begin(), files.end(),
            [](const InputFile& a, const InputFile& b) { return FoldedName(a.path) < FoldedName(b.path); });
  files_ = std::move(files);
  converted_.assign(files_.size(), false);
  for (std::size_t index = 0; index < files_.size(); ++index) byPath_.emplace(FoldedName(files_[index].path), index);
}

std::size_t NewFilesSearch::TakeJournal(std::string_view bytes) {
  std::size_t taken = 0;
  for (std::size_t end; (end = bytes.find('\n', taken)) != std::string_view::npos; taken = end + 1) {
    if (!ReadJournalLine(bytes.substr(taken, end - taken), read_) || read_.result != JournalResult::Converted) {
      continue;
    }
    folded_.assign(read_.inputPath);
    FoldInPlace(folded_);
    const auto found = byPath_.find(folded_);
    if (found == byPath_.end()) continue;
    const InputFile& file = files_[found->second];
    if (file.size == read_.size && file.modified == read_.modified) converted_[found->second] = true;
  }
  return taken;
}

std::vector<rt::Text> NewFilesSearch::NewFiles() const {
  std::vector<rt::Text> found;
  for (std::size_t index = 0; index < files_.size(); ++index) {
    if (!converted_[index]) found.push_back(files_[index].path);
  }
  return found;
}

}  // namespace convert
