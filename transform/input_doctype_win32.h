// Whether an input's prolog ends in a DOCTYPE, told from its file before the XML library reads
// any of it.
#pragma once

#include "runtime/com/file_stream_win32.h"

namespace rt {

// Read from the stream's head, as much as it takes and in chunks, without keeping them; the
// stream is back at its start afterwards. A head that ends undecided is no DOCTYPE: the
// library refuses such a document itself.
bool HasDoctype(FileStream& stream);

}  // namespace rt
