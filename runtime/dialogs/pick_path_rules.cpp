#include "runtime/dialogs/pick_path_rules.h"

#include "runtime/window/dialog_services.h"

namespace rt {

std::uint32_t DialogFlags(LONG pickFlags) {
  if (pickFlags & kPickDirectory) {
    std::uint32_t flags = ofn::kHideReadOnly | ofn::kEnableHook | ofn::kEnableTemplate | ofn::kPathMustExist |
                          ofn::kNoTestFileCreate | ofn::kLongNames;
    if (pickFlags & kPickKeepDirectory) flags |= ofn::kNoChangeDir;
    return flags;
  }
  std::uint32_t flags = ofn::kHideReadOnly | ofn::kEnableHook | ofn::kShareAware | ofn::kLongNames;
  if (pickFlags & kPickKeepDirectory) flags |= ofn::kNoChangeDir;
  if (pickFlags & kPickMultiple) flags |= ofn::kAllowMultiSelect;
  if (pickFlags & kPickExplorer) flags = (flags | ofn::kExplorer) & ~ofn::kEnableHook;
  const bool checks = !(pickFlags & kPickNoChecks);
  if (pickFlags & kPickSave) {
    if (checks) flags |= ofn::kOverwritePrompt;
  } else {
    if (checks) flags |= ofn::kFileMustExist;
    flags |= ofn::kPathMustExist;
  }
  return flags;
}

bool UsesSaveDialog(LONG pickFlags) { return (pickFlags & (kPickSave | kPickDirectory)) != 0; }

Text DialogFilter(TextView filter) {
  Text given(filter.substr(0, kFilterLimit));
  if (given.empty()) given = u"All Files (*.*)|*.*";
  if (given.find(u'|') == Text::npos) given = given + u"|" + given;
  Text converted;
  for (const char16_t c : given) converted += c == u'|' ? u'\0' : c;
  converted += u'\0';
  converted += u'\0';  // an odd field count still ends the list
  return converted;
}

bool NameCanStartDialog(TextView name) {
  if (name.empty() || name.size() > 259) return false;
  for (const char16_t c : name) {
    if (c < 0x20 || c == u'<' || c == u'>' || c == u'"' || c == u'|' || c == u'?' || c == u'*') return false;
  }
  // A colon belongs only after a drive letter.
  const auto colon = name.find(u':');
  return colon == TextView::npos || (colon == 1 && name.find(u':', 2) == TextView::npos);
}

Text DirectoryOfAnswer(TextView answer) {
  const auto last = answer.find_last_of(u'\\');
  return last == TextView::npos ? Text() : Text(answer.substr(0, last + 1));
}

std::vector<Text> SelectedFiles(TextView buffer) {
  std::vector<Text> parts;
  for (std::size_t start = 0; start < buffer.size();) {
    std::size_t end = buffer.find(u'\0', start);
    if (end == TextView::npos) end = buffer.size();
    if (end == start) break;  // the double NUL
    parts.emplace_back(buffer.substr(start, end - start));
    start = end + 1;
  }
  if (parts.size() <= 1) return parts;
  const Text directory = parts.front();
  const bool separated = directory.ends_with(u'\\') || directory.ends_with(u'/');
  std::vector<Text> files;
  for (std::size_t i = 1; i < parts.size(); ++i)
    files.push_back(Concat({directory, separated ? u"" : u"\\", parts[i]}));
  return files;
}

Text JoinMultipleSelection(TextView buffer) {
  Text joined;
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    if (buffer[i] == u'\0') {
      if (i + 1 >= buffer.size() || buffer[i + 1] == u'\0') break;
      joined += u'|';
    } else {
      joined += buffer[i];
    }
  }
  return joined;
}

}  // namespace rt
