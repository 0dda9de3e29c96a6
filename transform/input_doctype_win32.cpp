#include "transform/input_doctype_win32.h"

#include <string_view>

#include "transform/documents/prolog_reader.h"

namespace rt {

bool HasDoctype(FileStream& stream) {
  PrologReader prolog;
  char chunk[65536];
  ULONG read = 0;
  while (!prolog.decided() && stream.Read(chunk, sizeof chunk, &read) == S_OK && read > 0) {
    prolog.Feed(std::string_view(chunk, read));
  }
  LARGE_INTEGER start{};
  stream.Seek(start, STREAM_SEEK_SET, nullptr);
  return prolog.Finish().end == PrologEnd::kDoctype;
}

DocumentEncoding EncodingOfInput(FileStream& stream) {
  char head[4096];
  ULONG read = 0;
  if (stream.Read(head, sizeof head, &read) != S_OK) read = 0;
  LARGE_INTEGER start{};
  stream.Seek(start, STREAM_SEEK_SET, nullptr);
  return EncodingOf(std::string_view(head, read));
}

}  // namespace rt
