// What the XML and XSLT libraries say while a compilation or a transformation runs: their
// errors, with the module and line they name, for the user's reason.
#pragma once

#include <optional>
#include <string>

#include "runtime/text/text_value.h"

namespace rt {

class LibraryMessages {
 public:
  // Takes the libraries' messages while it lives.
  LibraryMessages();
  ~LibraryMessages();
  LibraryMessages(const LibraryMessages&) = delete;
  LibraryMessages& operator=(const LibraryMessages&) = delete;

  // The first error of the XML parser, with its place.
  struct ParseError {
    int line = 0, column = 0;
    std::string text;
  };
  const std::optional<ParseError>& firstParseError() const { return firstParseError_; }

  // The first few lines said, addresses of files shown as their paths; empty when nothing was.
  Text Said() const;

  void Add(std::string_view text) { said_ += text; }
  void AddParseError(ParseError error);

 private:
  std::string said_;
  std::optional<ParseError> firstParseError_;
  LibraryMessages* outer_;
};

}  // namespace rt
