// File names laid out as the document format lays them out, for the conversion's tests.
#pragma once

#include <ostream>

#include "convert/rules/name_fields.h"
#include "runtime/text/text_value.h"

namespace convert::samples {

// Positions 1 to 27, 34 to 38 and 44 to 59 of a name: letters the fields never read.
inline constexpr char16_t kLead[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZA";  // 27
inline constexpr char16_t kGap[] = u"VWXYZ";                         // 5
inline constexpr char16_t kMiddle[] = u"ABCDEFGHIJKLMNOP";           // 16

// A name with the three fields at positions 28, 39 and 60, then the extension: 68 characters
// when the fields have their full widths.
inline rt::Text SampleName(rt::TextView registration, rt::TextView batch1, rt::TextView batch2,
                           rt::TextView extension = u".XML") {
  return rt::Concat({kLead, registration, kGap, batch1, kMiddle, batch2, extension});
}

// The worked example's name: registration 4321, organisation batch 12345.
inline rt::Text WorkedExampleName() { return SampleName(u"004321", u"12345", u"00000"); }

inline const char* ProblemName(NameProblem problem) {
  switch (problem) {
    case NameProblem::None:
      return "None";
    case NameProblem::RegistrationNumber:
      return "RegistrationNumber";
    case NameProblem::BatchNumber:
      return "BatchNumber";
  }
  return "?";
}

}  // namespace convert::samples

namespace convert {

// Lets test failures name the problem instead of printing a number.
inline void PrintTo(NameProblem problem, std::ostream* out) { *out << samples::ProblemName(problem); }

}  // namespace convert
