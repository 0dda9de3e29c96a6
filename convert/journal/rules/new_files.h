// Which XML files of the input directory have not been converted yet: those for which the journal
// holds no "сконвертирован" line with the same full path (letters without case), size and last
// write time. A file changed or sent again is new again; one that failed is still new.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "convert/journal/rules/journal_line.h"

namespace convert {

// A file directly in the input directory, as the directory lists it.
struct InputFile {
  rt::Text path;  // full
  std::uint64_t size = 0;
  rt::Text modified;  // its last write time in local time, as the journal writes it
};

class NewFilesSearch {
 public:
  // Every file of the directory; only the XML files count.
  explicit NewFilesSearch(std::vector<InputFile> files);

  // The journal's bytes that follow those taken so far, up to the end of their last whole line;
  // returns how many it took. What follows the last line end is a line still being written.
  std::size_t TakeJournal(std::string_view bytes);

  // The full paths of the XML files no entry taken so far has converted, in name order.
  std::vector<rt::Text> NewFiles() const;

 private:
  std::vector<InputFile> files_;
  std::vector<bool> converted_;
  std::unordered_map<rt::Text, std::size_t> byPath_;  // the folded path: index into files_
  JournalEntry read_;                                 // each line is read into it
  rt::Text folded_;                                   // and its path folded
};

}  // namespace convert
