// Addresses as the XML library names files (file: URLs in UTF-8) and the paths they stand for,
// both ways, and whether a path lies in a folder. Both path styles, so that each is tested
// natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/text/text_value.h"

namespace rt {

enum class PathStyle { kWindows, kPosix };
#ifdef _WIN32
inline constexpr PathStyle kHostPathStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kHostPathStyle = PathStyle::kPosix;
#endif

// "file:///C:/a%20b/c.xsl" for "C:\a b\c.xsl", "file:///tmp/c.xsl" for "/tmp/c.xsl": marks that
// mean something in a URL ("#", "%", "?", blanks) and all but ASCII escaped.
std::string FileUrlOf(TextView fullPath, PathStyle style);

// The full path an address names: a file: URL (no host, or "localhost"; on Windows a host
// gives its network path) or a full path as such. Nothing for another scheme, a relative name,
// an escaped NUL or separator, bytes that are not UTF-8, or Windows' device names space.
std::optional<Text> PathOfAddress(std::string_view address, PathStyle style);

// The folder a full path's file lies in, with its separator at the end.
Text FolderOf(TextView path, PathStyle style);

// A path on another computer (Windows: "\\server\share\…").
bool IsNetworkPath(TextView path, PathStyle style);

// Whether `path` is `folder` or lies below it, both full paths; "." and ".." are taken as the
// file system takes them, and on Windows letters are compared without case.
bool LiesInside(TextView path, TextView folder, PathStyle style);

// Library messages name files by their URLs; the user reads their paths instead.
Text WithPathsForUrls(std::string_view libraryText, PathStyle style);

}  // namespace rt
