// UTF-16 (what the "W" functions take) to and from UTF-8 (files and exception messages).
#pragma once

#include <string>
#include <string_view>

namespace driver {

std::string ToUtf8(std::wstring_view text);

// Invalid sequences become U+FFFD.
std::wstring FromUtf8(std::string_view text);

}  // namespace driver
