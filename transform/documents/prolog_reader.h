// A document's prolog (byte order mark, XML declaration, comments, processing instructions,
// white space) read up to what follows it, as a parser reads it: a comment ends at the first
// "-->" after its "<!--", an instruction at the first "?>" after its "<?".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/text/text_value.h"
#include "transform/documents/xml_units.h"

namespace rt {

// What the prolog is followed by. kUnknown: the text ends first, so a longer head of the file
// decides.
enum class PrologEnd { kElementOrOther, kDoctype, kUnknown };

struct PrologScan {
  PrologEnd end = PrologEnd::kUnknown;
  std::size_t at = 0;  // where the DOCTYPE starts
};

// The prolog read as the file arrives, chunk by chunk, in one pass and in memory that does not
// grow with it: of the text it keeps one chunk's units and a marker begun at a chunk's end.
// Gives what ScanProlog gives for the whole text.
class PrologReader {
 public:
  // The file's next bytes, in the encoding UnitsOf tells by the first of them.
  void Feed(std::string_view bytes);
  // Or the next units of a text already decoded (one or the other, not both).
  void Feed(TextView units);

  // Whether more input can change the outcome no longer.
  bool decided() const { return end_ != PrologEnd::kUnknown; }
  // The input ended.
  PrologScan Finish();

 private:
  enum class State { kMark, kSpace, kMarkup, kComment, kInstruction };

  // The units from the given index of the text on.
  void Run(TextView units, std::uint64_t first);
  void Take(char16_t unit, std::uint64_t index);
  // What was held as a possible byte order mark is the text's start.
  void Unmark();
  // A comment or an instruction from units[i] on, up to its end if it is there: where reading
  // goes on.
  std::size_t Skip(TextView units, std::size_t i);

  UnitDecoder decoder_;
  Text decoded_;  // one chunk's units, the buffer used again
  State state_ = State::kMark;
  PrologEnd end_ = PrologEnd::kUnknown;
  std::uint64_t received_ = 0;  // units before the current chunk
  std::uint64_t markupAt_ = 0;  // where the markup being read starts
  char16_t held_[9] = {};       // the start of the markup being read, or of a byte order mark
  std::size_t heldSize_ = 0;
  std::size_t marks_ = 0;  // the comment's "-" (up to two) or the instruction's "?" just before this chunk
};

PrologScan ScanProlog(TextView units);

}  // namespace rt
