// What «Новые файлы» does, and `/new` at start: the XML files directly in the input directory that
// the journal has no conversion of, converted as if chosen together in the file dialog.
#pragma once

#include <vector>

#include "runtime/text/text_value.h"

namespace convert {

struct NewFilesFound {
  std::vector<rt::Text> files;    // full paths
  std::vector<rt::Text> failed;   // those whose last try, unchanged since, failed of their own
  rt::Text problem;               // why they could not be looked for; empty when they were
  bool noInputDirectory = false;  // the problem is the input directory's
  std::vector<rt::Text> notes{};  // a journal's lines passed over, a line for each journal
};

// The remembered input directory by its long names, as the file dialog gives the files in it.
rt::Text NewFilesDirectory();

// The XML files directly in the directory without a conversion of them as they are now in the
// journal. Reads no setting: a batch's worker asks it again once it has the folder's turn.
NewFilesFound FindNewFiles(const rt::Text& directory, const rt::Text& journalFolder);

// «Новых файлов нет», and the focus back on the button.
void TellNoNewFiles();

// `ask`: the number found is asked about first, and whether to try again the files that failed
// unchanged since; without it the new ones are converted at once.
void ConvertNewFiles(bool ask);

}  // namespace convert
