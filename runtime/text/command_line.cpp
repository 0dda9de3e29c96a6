#include "runtime/text/command_line.h"

#include <algorithm>

namespace rt {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

std::vector<Text> CommandLineArguments(TextView line) {
  std::size_t i = 0;
  if (i < line.size() && line[i] == u'"') {
    const auto close = line.find(u'"', 1);
    i = close == TextView::npos ? line.size() : close + 1;
  }
  while (i < line.size() && !IsBlank(line[i])) ++i;

  std::vector<Text> arguments;
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return arguments;
    Text argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == u'\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == u'"') {
        argument.append(backslashes / 2, u'\\');
        if (backslashes % 2 == 1 && quoted && (i + 1 == line.size() || IsBlank(line[i + 1]))) {
          // A quoted folder that ends in its separator ("%~dp0" in a script): a path holds no
          // quote, so this one closes the part.
          argument += u'\\';
          quoted = false;
        } else if (backslashes % 2 == 1) {
          argument += u'"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
          argument += u'"';
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        argument.append(backslashes, u'\\');
        if (i < line.size() && (quoted || !IsBlank(line[i]))) argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

bool IsSwitch(TextView argument, TextView name) {
  if (argument.size() != name.size() + 1 || (argument[0] != u'/' && argument[0] != u'-')) return false;
  return std::equal(name.begin(), name.end(), argument.begin() + 1,
                    [](char16_t a, char16_t b) { return LowerAscii(a) == LowerAscii(b); });
}

}  // namespace rt
