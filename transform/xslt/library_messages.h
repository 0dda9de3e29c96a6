// What the XML and XSLT libraries say while a compilation or a transformation runs: their
// errors, with the module and line they name, for the user's reason; and whether they ran out of
// memory meanwhile (every allocation of theirs goes through the program, see library_memory).
#pragma once

#include <cstddef>
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
  // An allocation of the libraries failed while this lived: what they made meanwhile may be
  // wrong without their saying so (a length of -1). (What they call running out of memory is
  // often a limit of theirs, which they tell.)
  bool RanOutOfMemory() const;
  // The stylesheet's own words (xsl:message) when they were the last thing said, in no error of
  // the library's: what a stylesheet that stopped itself said.
  const std::string& stylesheetSaid() const { return stylesheetSaid_; }

  void Add(std::string_view text);
  void AddGeneric(std::string_view text);
  void AddParseError(ParseError error);

 private:
  std::string said_;
  std::string stylesheetSaid_;
  bool errorBegun_ = false;  // the XSLT library named an error's place; its words come next
  std::optional<ParseError> firstParseError_;
  unsigned failedAllocations_;
  LibraryMessages* outer_;
};

}  // namespace rt
