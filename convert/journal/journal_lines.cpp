#include "convert/journal/journal_lines.h"

#include <algorithm>
#include <utility>

#include "runtime/system/file_part.h"

namespace convert {
namespace {

// A line that goes on past its block is read by itself: most are far shorter than this.
constexpr std::size_t kLongLine = 16 << 10;
constexpr std::size_t kLongestLine = 1 << 20;

}  // namespace

std::string_view JournalLines::LineAt(const JournalLinePlace& place) {
  const std::uint64_t start = place.offset - place.offset % block_;
  const Block& block = BlockAt(place.file, start, place.offset);
  const std::string_view rest =
      std::string_view(block.bytes)
          .substr(static_cast<std::size_t>(std::min<std::uint64_t>(place.offset - start, block.bytes.size())));
  if (const std::size_t end = rest.find('\n'); end != std::string_view::npos) return rest.substr(0, end);
  // The line goes on into the next block: read from its start, at most the longest line there is.
  for (const std::size_t most : {kLongLine, kLongestLine}) {
    std::uint64_t size = 0;
    if (rt::ReadFilePart(PathOf(place.file), place.offset, most, crossing_, size) != 0) return {};
    if (const std::size_t end = crossing_.find('\n'); end != std::string::npos) return {crossing_.data(), end};
  }
  return crossing_;
}

void JournalLines::Forget(std::vector<rt::Text> paths) {
  for (Block& block : blocks_) block = Block();
  paths_ = std::move(paths);
}

// A block read when the file ended inside it is read again for a line written since.
const JournalLines::Block& JournalLines::BlockAt(std::uint32_t file, std::uint64_t start, std::uint64_t offset) {
  Block* found = &blocks_.front();
  for (Block& block : blocks_) {
    if (block.file == file && block.start == start) {
      found = &block;
      break;
    }
    if (block.used < found->used) found = &block;
  }
  found->used = ++uses_;
  if (found->file != file || found->start != start ||
      (found->bytes.size() < block_ && offset - start >= found->bytes.size())) {
    std::uint64_t size = 0;
    found->file = file;
    found->start = start;
    if (rt::ReadFilePart(PathOf(file), start, block_, found->bytes, size) != 0) found->bytes.clear();
  }
  return *found;
}

rt::TextView JournalLines::PathOf(std::uint32_t file) const {
  return file < paths_.size() ? rt::TextView(paths_[file]) : rt::TextView();
}

JournalLineReader EntriesThrough(JournalLines& lines, const std::vector<JournalForm>& forms,
                                 const JournalLocale& locale) {
  return [&lines, &forms, locale](const JournalLinePlace& place, JournalEntry& entry) {
    return place.file < forms.size() &&
           ReadJournalLine(lines.LineAt(place), forms[place.file], locale, entry) == LineRead::Entry;
  };
}

}  // namespace convert
