#include "convert/rules/launch_parameters.h"

#include <algorithm>

#include "convert/rules/conversion_messages.h"

namespace convert {
namespace {

bool EndsInSeparator(rt::TextView path) { return path.ends_with(u'\\') || path.ends_with(u'/'); }

// One argument of a command line as the processor's start-up code splits it: quoted when it
// holds a blank or a tab. Backslashes right before the closing quote are doubled, or the last
// of them would escape the quote.
rt::Text Argument(rt::TextView path) {
  if (path.find_first_of(u" \t") == rt::TextView::npos) return rt::Text(path);
  const auto lastOther = path.find_last_not_of(u'\\');
  const std::size_t trailing = path.size() - (lastOther == rt::TextView::npos ? 0 : lastOther + 1);
  return rt::Concat({u"\"", path, rt::Text(trailing, u'\\'), u"\""});
}

}  // namespace

rt::Text OutputDirectory(rt::TextView pathOut) {
  rt::Text directory = rt::CLIP(pathOut);
  directory.erase(0, std::min(directory.find_first_not_of(u' '), directory.size()));
  // A path pasted with "Copy as path" comes in double quotes.
  if (directory.size() >= 2 && directory.front() == u'"' && directory.back() == u'"') {
    directory = rt::CLIP(directory.substr(1, directory.size() - 2));
  }
  return directory;
}

rt::Text OutputPath(rt::TextView pathOut, rt::TextView outputName) {
  const rt::Text directory = OutputDirectory(pathOut);
  const rt::Text name = rt::CLIP(outputName);
  if (directory.empty() || EndsInSeparator(directory)) return rt::Concat({directory, name});
  return rt::Concat({directory, u"\\", name});
}

rt::Text ParameterText(rt::TextView fileIn, rt::TextView pathOut, rt::TextView outputName) {
  return ParameterTextFor(fileIn, OutputPath(pathOut, outputName));
}

rt::Text ParameterTextFor(rt::TextView fileIn, rt::TextView outputPath) {
  return rt::Concat({u" ", Argument(rt::CLIP(fileIn)), u" ", kStylesheet, u" -o ", Argument(outputPath)});
}

}  // namespace convert
