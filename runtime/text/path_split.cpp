#include "runtime/text/path_split.h"

namespace rt {

PathParts SplitFullPath(TextView path) {
  const auto first = path.find_first_not_of(kBlank);
  path = first == TextView::npos ? TextView() : path.substr(first);
  const auto last = path.find_last_not_of(kBlank);
  path = last == TextView::npos ? TextView() : path.substr(0, last + 1);

  PathParts parts;
  std::size_t extensionStart = TextView::npos;  // the last "." of the name
  for (std::size_t i = 0; i < path.size(); ++i) {
    switch (path[i]) {
      case u'\\':
      case u'/':
        extensionStart = TextView::npos;  // a dot in a directory name is no extension
        parts.flags |= kPathDirectory;
        break;
      case u':':
        if (i == 1) parts.flags |= kPathDrive;
        break;
      case u'.':
        extensionStart = i;
        parts.flags |= kPathExtension;
        break;
      case u'?':
      case u'*':
        parts.flags |= kPathWildcards;
        break;
      default:
        break;
    }
  }
  if (extensionStart == TextView::npos) parts.flags &= ~kPathExtension;

  const std::size_t driveEnd = (parts.flags & kPathDrive) ? 2 : 0;
  std::size_t dirEnd = driveEnd;
  const auto lastSeparator = path.find_last_of(u"\\/");
  if (lastSeparator != TextView::npos && lastSeparator >= driveEnd) dirEnd = lastSeparator + 1;
  const std::size_t nameEnd = extensionStart == TextView::npos ? path.size() : extensionStart;

  constexpr std::size_t kPartLimit = 255;
  parts.drive = Text(path.substr(0, driveEnd));
  parts.directory = Text(path.substr(driveEnd, dirEnd - driveEnd).substr(0, kPartLimit));
  parts.name = Text(path.substr(dirEnd, nameEnd - dirEnd).substr(0, kPartLimit));
  parts.extension = Text(path.substr(nameEnd).substr(0, kPartLimit));
  if (!parts.name.empty()) parts.flags |= kPathName;  // a file name is present
  return parts;
}

// The limit of a directory's path (MAX_PATH less room for an 8.3 name) is the shortest.
constexpr std::size_t kShortPathLimit = 248;

Text ExtendedLengthPath(TextView fullPath) {
  if (fullPath.size() < kShortPathLimit || fullPath.starts_with(u"\\\\?\\")) return Text(fullPath);
  if (fullPath.starts_with(u"\\\\")) return Concat({u"\\\\?\\UNC\\", fullPath.substr(2)});
  return Concat({u"\\\\?\\", fullPath});
}

}  // namespace rt
