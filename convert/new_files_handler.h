// What «Новые файлы» does, and `/new` at start: the XML files directly in the input directory that
// the journal has no conversion of, converted as if chosen together in the file dialog.
#pragma once

namespace convert {

// `ask`: the number found is asked about first; without it they are converted at once.
void ConvertNewFiles(bool ask);

}  // namespace convert
