// What the chosen file's name says: the file-name part of its path, the three numbers at
// fixed positions of that name, whether they make a valid pair, and the output name.
#pragma once

#include "runtime/text/text_value.h"

namespace convert {

// Position (from 1) of the last "\" of the path; 0 when it has none.
rt::LONG LastSeparator(rt::TextView path);

// The clipped path after its last "\": the whole text when it has none.
rt::Text FileNamePart(rt::TextView path);

// The numbers of a file name, counted from its first character (the directory not included).
struct NameFields {
  rt::LONG REGNUMB = 0;  // registration number, positions 28 to 33
  rt::LONG DCK1 = 0;     // batch number of the organisation, positions 39 to 43
  rt::LONG DCK2 = 0;     // batch number of the subdivision, positions 60 to 64
};

// Reads the three fields of a file name; a field the name is too short for reads as 0.
NameFields ReadNameFields(rt::TextView fileName);

// Why a file cannot be converted, named after the message that tells the user.
enum class NameProblem { None, RegistrationNumber, BatchNumber };

// The registration number must be positive; then exactly one batch number must be, the
// other 0. A number that does not fit the output name's digits (six for the registration,
// five for a batch) is as wrong as a negative one: the fields are 6 and 5 characters, but an
// exponent such as "1.e99" reads far beyond that.
NameProblem CheckNameFields(const NameFields& fields);

// The 12-character output name: registration number in six digits, the non-zero batch number
// in five, a "." before its last three. Only for fields that CheckNameFields accepts.
rt::Text OutputName(const NameFields& fields);

}  // namespace convert
