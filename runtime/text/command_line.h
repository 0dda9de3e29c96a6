// The arguments a program is started with, read from its command line as Windows programs
// read theirs: blanks separate, double quotes group, backslashes escape only a quote.
#pragma once

#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

// The arguments after the program's own name. The name ends at the first blank unless it is
// quoted, and takes no escapes; then 2n backslashes and a quote give n backslashes and open or
// close a quoted part, 2n+1 give n and a quote; "" inside a quoted part is a quote. Since the
// arguments are paths, 2n+1 backslashes and a quote that ends a quoted argument give n+1
// backslashes and close it: "C:\In\" is the folder C:\In\, and what follows still counts.
std::vector<Text> CommandLineArguments(TextView commandLine);

// Whether the argument is the switch of this name: "/" or "-" and the name, letters without case.
bool IsSwitch(TextView argument, TextView name);

}  // namespace rt
