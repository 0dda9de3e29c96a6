#include "convert/rules/quiet_run.h"

#include <algorithm>

#include "convert/rules/conversion_messages.h"
#include "convert/rules/name_fields.h"
#include "runtime/text/number_text.h"

namespace convert {
namespace {

rt::Text Lower(rt::TextView text) {
  rt::Text lower(text);
  for (char16_t& c : lower) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
  return lower;
}

// "/name" or "-name" with letters only: a path never looks so on Windows.
bool IsSwitch(rt::TextView argument) {
  if (argument.size() < 2 || (argument[0] != u'/' && argument[0] != u'-')) return false;
  for (const char16_t c : argument.substr(1)) {
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return false;
  }
  return true;
}

}  // namespace

RunRequest ReadRunRequest(std::span<const rt::Text> arguments) {
  RunRequest request;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const rt::Text& argument = arguments[i];
    if (!IsSwitch(argument)) {
      request.paths.push_back(argument);
      continue;
    }
    const rt::Text name = Lower(rt::TextView(argument).substr(1));
    if (name == u"quiet") {
      request.quiet = true;
    } else if (name == u"new") {
      request.newFiles = true;
    } else if (name == u"retry") {
      request.newFiles = request.retry = true;
    } else if (name == u"timeout" && i + 1 < arguments.size() && !arguments[i + 1].empty() &&
               arguments[i + 1].size() <= 6 && arguments[i + 1].find_first_not_of(u"0123456789") == rt::Text::npos &&
               rt::TextToLong(arguments[i + 1]) > 0) {
      request.timeoutSeconds = static_cast<unsigned>(rt::TextToLong(arguments[++i]));
    } else if (request.wrong.empty()) {
      request.wrong = argument;
    }
  }
  return request;
}

int RunExitCode(std::span<const FileReport> files, std::size_t failedLeft) {
  for (const FileReport& file : files) {
    if (file.result != FileResult::Converted) return kRunNotConverted;
  }
  return failedLeft == 0 ? kRunConvertedAll : kRunNotConverted;
}

std::vector<rt::Text> FailedLeftLines(std::span<const rt::Text> paths) {
  constexpr std::size_t kNamed = 10;
  std::vector<rt::Text> lines{rt::Concat({kFailedUnchanged, rt::DecimalText(paths.size()), kRunRetryHint})};
  for (std::size_t i = 0; i < std::min(paths.size(), kNamed); ++i) lines.push_back(FileNamePart(paths[i]));
  if (paths.size() > kNamed) lines.push_back(rt::Concat({kRunFailedMore, rt::DecimalText(paths.size() - kNamed)}));
  return lines;
}

rt::Text RunLine(const FileReport& file) {
  // The report's words for the result, without what follows them there.
  const rt::Text words = ResultWords(file);
  const rt::TextView result = rt::TextView(words).substr(0, words.find(u':'));
  return rt::Concat({result, u"\t", file.inputName, u"\t", file.outputName, u"\t", FirstLine(file.reason)});
}

}  // namespace convert
