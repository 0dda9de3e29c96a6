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

// What a stylesheet written for Windows may write where an address belongs, as an address:
// "C:\data\codes.xml" and "\\server\share\x.xml" as file: URLs, "data\codes.xml", ".\codes.xml"
// and "sub\..\codes.xml" as relative references with "/". Nothing for what is not such a path:
// an address already, or any path in the POSIX style.
std::optional<std::string> AddressOfWindowsPath(std::string_view written, PathStyle style);

// What the rule says of an address before anything is opened: a file that may be opened (then
// decided again by its final path), or why it is not opened at all.
struct AddressDecision {
  enum class Verdict { kOpen, kNotAFile, kStream, kNetwork, kOutside } verdict = Verdict::kNotAFile;
  Text path;  // the full path it names, when it names one
};
// `folder` is the folder's final path and `spelled` the same folder as the stylesheet's path
// spells it (a short name, a mapped drive); a path that lies in neither is not opened.
AddressDecision DecideAddress(std::string_view address, TextView folder, TextView spelled, PathStyle style);

// Whether a file's name matches a pattern with at most one "*" ("Vexilate-journal*.csv"),
// letters compared as the file system compares them.
bool NameMatches(TextView name, TextView pattern, PathStyle style);

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
