// What the program reads of an input's head before the XML library reads any of it: its
// encoding, and whether its prolog ends in a DOCTYPE.
#pragma once

#include "runtime/com/file_stream_win32.h"
#include "transform/documents/xml_encoding.h"

namespace rt {

// Read from the stream's head, as much as it takes and in chunks, without keeping them; the
// stream is back at its start afterwards. A head that ends undecided is no DOCTYPE: the
// library refuses such a document itself.
bool HasDoctype(FileStream& stream);

// The encoding the library reads the document in, and whether the program reads its markup the
// same way (and so can tell a DOCTYPE); the stream is back at its start afterwards.
DocumentEncoding EncodingOfInput(FileStream& stream);

}  // namespace rt
