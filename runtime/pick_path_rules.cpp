#include "runtime/pick_path_rules.h"

namespace rt {

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
