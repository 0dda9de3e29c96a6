// The lines of the journal's files read back by where they are, a block at a time with the last few
// blocks kept: the rows in view, and a copy or a search going through them all, read each block once.
// One for each thread that reads: the window's small blocks for rows here and there, larger ones for
// work that reads every row in turn (a file is opened once a block, which under Wine is slow).
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "convert/journal/rules/journal_view.h"
#include "runtime/text/text_value.h"

namespace convert {

class JournalLines {
 public:
  static constexpr std::size_t kRowsInView = 64 << 10;
  static constexpr std::size_t kEveryRow = 512 << 10;

  // The files by their numbers, read in blocks of the size given.
  explicit JournalLines(std::vector<rt::Text> paths = {}, std::size_t block = kRowsInView)
      : paths_(std::move(paths)), block_(block) {}

  // The line at a place, without its line end; empty when it cannot be read.
  std::string_view LineAt(const JournalLinePlace& place);

  // The files were replaced: nothing read of them holds.
  void Forget(std::vector<rt::Text> paths);

 private:
  static constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
  struct Block {
    std::uint32_t file = 0;
    std::uint64_t start = kNone;
    std::uint64_t used = 0;  // when last asked for, to give the oldest up
    std::string bytes;
  };

  const Block& BlockAt(std::uint32_t file, std::uint64_t start, std::uint64_t offset);
  rt::TextView PathOf(std::uint32_t file) const;

  std::vector<rt::Text> paths_;
  std::size_t block_;
  std::array<Block, 8> blocks_;
  std::uint64_t uses_ = 0;
  std::string crossing_;
};

// Reads the entries at their places through `lines`, each file's in its form.
JournalLineReader EntriesThrough(JournalLines& lines, const std::vector<JournalForm>& forms,
                                 const JournalLocale& locale);

}  // namespace convert
