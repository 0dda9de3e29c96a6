// How the captured output of a console program is read as text: UTF-8 when it is UTF-8,
// otherwise the console's code page. A capture cut short may end inside a UTF-8 character;
// that part of a character is left out rather than making the whole capture read as another
// code page.
#pragma once

#include <cstddef>
#include <string_view>

namespace rt {

struct ConsoleDecoding {
  std::size_t length = 0;  // how many of the bytes to decode
  bool utf8 = false;       // otherwise the console's code page
};

// `cut`: the program wrote more than `bytes` holds.
ConsoleDecoding DecideConsoleDecoding(std::string_view bytes, bool cut);

}  // namespace rt
