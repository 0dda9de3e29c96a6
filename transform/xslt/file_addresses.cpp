#include "transform/xslt/file_addresses.h"

#include <algorithm>
#include <vector>

#include "runtime/text/utf8_text.h"

namespace rt {
namespace {

bool IsSeparator(char16_t unit, PathStyle style) {
  return unit == u'/' || (style == PathStyle::kWindows && unit == u'\\');
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Letters as Windows' file systems compare names, for the scripts offices name folders in.
char16_t Folded(char16_t unit) {
  if (unit >= u'a' && unit <= u'z') return static_cast<char16_t>(unit - 32);
  if (unit >= 0x0430 && unit <= 0x044F) return static_cast<char16_t>(unit - 32);
  if (unit >= 0x0450 && unit <= 0x045F) return static_cast<char16_t>(unit - 80);
  if (unit >= 0x00E0 && unit <= 0x00FE && unit != 0x00F7) return static_cast<char16_t>(unit - 32);
  return unit;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The path's parts with "." and ".." taken out; the root (drive, server and share, or "/")
// stays as the first part.
std::vector<Text> PartsOf(TextView path, PathStyle style) {
  std::vector<Text> parts;
  std::size_t at = 0;
  Text root;
  if (style == PathStyle::kWindows && path.size() >= 2 && IsSeparator(path[0], style) && IsSeparator(path[1], style)) {
    // Server and share are the root of a network path.
    std::size_t end = 2;
    for (int part = 0; part < 2 && end <= path.size(); ++part) {
      while (end < path.size() && !IsSeparator(path[end], style)) ++end;
      if (part == 0) ++end;
    }
    root = Text(path.substr(0, std::min(end, path.size())));
    at = end;
  } else if (style == PathStyle::kWindows && path.size() >= 2 && path[1] == u':') {
    root = Text(path.substr(0, 2));
    at = 2;
  } else {
    root = u"/";
  }
  for (char16_t& unit : root) {
    if (unit == u'/') unit = style == PathStyle::kWindows ? u'\\' : u'/';
  }
  parts.push_back(root);
  while (at < path.size()) {
    while (at < path.size() && IsSeparator(path[at], style)) ++at;
    std::size_t end = at;
    while (end < path.size() && !IsSeparator(path[end], style)) ++end;
    TextView part = path.substr(at, end - at);
    // Windows drops the dots and blanks that end a name ("a." is "a", "..." is nothing).
    if (style == PathStyle::kWindows && part != u".." && part != u".") {
      while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.remove_suffix(1);
    }
    if (part == u"..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.emplace_back(part);
    }
    at = end;
  }
  return parts;
}

bool SamePart(TextView a, TextView b, PathStyle style) {
  if (style == PathStyle::kPosix) return a == b;
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char16_t x = a[i] == u'/' ? u'\\' : a[i], y = b[i] == u'/' ? u'\\' : b[i];
    if (Folded(x) != Folded(y)) return false;
  }
  return true;
}

// The path's bytes as they stand in a URL: Windows' separators as "/", marks that mean something
// in a URL ("#", "%", "?", blanks) and all but ASCII escaped.
void AppendEscaped(std::string& url, std::string_view path, PathStyle style) {
  constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (style == PathStyle::kWindows && c == '\\') {
      url += '/';
    } else if (byte >= 0x80 || byte <= 0x20 || c == '#' || c == '%' || c == '?' || c == '"' || c == '<' || c == '>' ||
               c == '\\' || c == '^' || c == '`' || c == '{' || c == '|' || c == '}' || c == '[' || c == ']' ||
               byte == 0x7F) {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 0xF];
    } else {
      url += c;
    }
  }
}

// The full path an address names, a stream's name (after a second ":") included.
std::optional<Text> PathNamed(std::string_view address, PathStyle style) {
  const bool windows = style == PathStyle::kWindows;
  std::string bytes;
  constexpr std::string_view kScheme = "file:";
  if (address.size() >= kScheme.size() &&
      std::equal(kScheme.begin(), kScheme.end(), address.begin(), [](char a, char b) { return a == (b | 0x20); })) {
    std::string_view rest = address.substr(kScheme.size());
    std::string host;
    if (rest.starts_with("//")) {
      rest.remove_prefix(2);
      const std::size_t slash = rest.find('/');
      host = std::string(rest.substr(0, slash));
      rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
      for (char& c : host) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      if (host == "localhost") host.clear();
    }
    if (!rest.starts_with('/')) return std::nullopt;
    if (rest.find_first_of("?#") != std::string_view::npos) return std::nullopt;
    // Escapes are undone; one that would hide a NUL or a separator makes no path.
    for (std::size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] != '%') {
        bytes += rest[i];
        continue;
      }
      const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
      const int low = i + 2 < rest.size() ? HexValue(rest[i + 2]) : -1;
      if (high < 0 || low < 0) return std::nullopt;
      const char c = static_cast<char>(high * 16 + low);
      if (c == '\0' || c == '/' || (windows && c == '\\')) return std::nullopt;
      bytes += c;
      i += 2;
    }
    if (!host.empty()) {
      if (!windows) return std::nullopt;
      bytes = "//" + host + bytes;
    } else if (windows && bytes.starts_with("//")) {
      // "file:////server/share" and "file://///server/share" name a network path too.
      bytes.erase(0, bytes.find_first_not_of('/') - 2);
      if (bytes.size() < 3) return std::nullopt;
    } else if (windows) {
      // "/C:/…": the drive comes first; "/x" alone would depend on the current drive.
      if (bytes.size() < 3 || !IsLetter(bytes[1]) || bytes[2] != ':') return std::nullopt;
      bytes.erase(0, 1);
      if (bytes.size() > 2 && bytes[2] != '/' && bytes[2] != '\\') return std::nullopt;
    }
  } else {
    bytes = std::string(address);
    const bool drive =
        bytes.size() >= 3 && IsLetter(bytes[0]) && bytes[1] == ':' && (bytes[2] == '\\' || bytes[2] == '/');
    const bool network =
        bytes.size() > 2 && (bytes[0] == '\\' || bytes[0] == '/') && (bytes[1] == '\\' || bytes[1] == '/');
    if (windows ? !(drive || network) : !bytes.starts_with('/')) return std::nullopt;
  }
  if (bytes.find('\0') != std::string::npos) return std::nullopt;
  Text path = TextOfUtf8(bytes);
  if (path.find(kReplacementCharacter) != Text::npos) return std::nullopt;
  if (windows) {
    for (char16_t& unit : path) unit = unit == u'/' ? u'\\' : unit;
    // "\\?\" and "\\.\" name devices and the system's own namespaces, not files of a folder.
    if (path.starts_with(u"\\\\?\\") || path.starts_with(u"\\\\.\\")) return std::nullopt;
  }
  return path;
}

// "data.xml:secret" reads as an address of scheme "data.xml"; Windows would read a stream of
// the file. No scheme a file could be read by has a dot in it.
bool NamesAStream(std::string_view address) {
  const std::size_t colon = address.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  const std::string_view head = address.substr(0, colon);
  if (head.find_first_of("/\\") != std::string_view::npos) return false;
  return std::any_of(head.begin(), head.end(), [](char c) { return !IsLetter(c); });
}

}  // namespace

std::string FileUrlOf(TextView fullPath, PathStyle style) {
  std::string url = "file://";
  const std::string bytes = Utf8Of(fullPath);
  std::string_view path = bytes;
  if (style == PathStyle::kWindows && path.starts_with("\\\\")) {
    path.remove_prefix(2);  // the server is the URL's host
  } else if (style == PathStyle::kWindows) {
    url += '/';
  }
  AppendEscaped(url, path, style);
  return url;
}

std::optional<std::string> AddressOfWindowsPath(std::string_view written, PathStyle style) {
  if (style != PathStyle::kWindows) return std::nullopt;
  const bool drive =
      written.size() >= 3 && IsLetter(written[0]) && written[1] == ':' && (written[2] == '\\' || written[2] == '/');
  const bool network = written.starts_with("\\\\");
  if (drive || network) return FileUrlOf(TextOfUtf8(written), style);
  if (written.find('\\') == std::string_view::npos) return std::nullopt;
  const std::size_t colon = written.find(':');
  if (colon != std::string_view::npos) {
    // A URL written with Windows' separators is read as browsers read it; another scheme, or a
    // stream's name, is left to be refused as it stands.
    constexpr std::string_view kScheme = "file:";
    if (colon + 1 != kScheme.size() ||
        !std::equal(kScheme.begin(), kScheme.end(), written.begin(), [](char a, char b) { return a == (b | 0x20); }))
      return std::nullopt;
    std::string url(written);
    std::replace(url.begin(), url.end(), '\\', '/');
    return url;
  }
  std::string reference;
  AppendEscaped(reference, written, style);
  return reference;
}

std::optional<Text> PathOfAddress(std::string_view address, PathStyle style) {
  std::optional<Text> path = PathNamed(address, style);
  // A second ":" names a stream of a file, not a file.
  if (path && style == PathStyle::kWindows && path->find(u':', 2) != Text::npos) return std::nullopt;
  return path;
}

AddressDecision DecideAddress(std::string_view address, TextView folder, TextView spelled, PathStyle style) {
  using enum AddressDecision::Verdict;
  std::optional<Text> path = PathNamed(address, style);
  if (!path) return {NamesAStream(address) ? kStream : kNotAFile, Text()};
  if (style == PathStyle::kWindows && path->find(u':', 2) != Text::npos) return {kStream, std::move(*path)};
  const bool inside =
      (!folder.empty() && LiesInside(*path, folder, style)) || (!spelled.empty() && LiesInside(*path, spelled, style));
  if (inside) return {kOpen, std::move(*path)};
  return {IsNetworkPath(*path, style) ? kNetwork : kOutside, std::move(*path)};
}

bool NameMatches(TextView name, TextView pattern, PathStyle style) {
  const std::size_t star = pattern.find(u'*');
  if (star == TextView::npos) return SamePart(name, pattern, style);
  const TextView head = pattern.substr(0, star), tail = pattern.substr(star + 1);
  return name.size() >= head.size() + tail.size() && SamePart(name.substr(0, head.size()), head, style) &&
         SamePart(name.substr(name.size() - tail.size()), tail, style);
}

Text FolderOf(TextView path, PathStyle style) {
  const std::size_t slash = path.find_last_of(style == PathStyle::kWindows ? u"\\/" : u"/");
  return Text(path.substr(0, slash == TextView::npos ? 0 : slash + 1));
}

bool IsNetworkPath(TextView path, PathStyle style) {
  return style == PathStyle::kWindows && path.size() >= 2 && IsSeparator(path[0], style) && IsSeparator(path[1], style);
}

bool LiesInside(TextView path, TextView folder, PathStyle style) {
  const std::vector<Text> inner = PartsOf(path, style), outer = PartsOf(folder, style);
  if (inner.size() < outer.size()) return false;
  for (std::size_t i = 0; i < outer.size(); ++i) {
    if (!SamePart(inner[i], outer[i], style)) return false;
  }
  return true;
}

Text WithPathsForUrls(std::string_view libraryText, PathStyle style) {
  std::string shown;
  for (std::size_t at = 0; at < libraryText.size();) {
    const std::size_t url = libraryText.find("file://", at);
    if (url == std::string_view::npos) {
      shown += libraryText.substr(at);
      break;
    }
    shown += libraryText.substr(at, url - at);
    std::size_t end = url;
    while (end < libraryText.size() && static_cast<unsigned char>(libraryText[end]) > 0x20 && libraryText[end] != '"' &&
           libraryText[end] != '\'')
      ++end;
    // A sentence may close right after the address.
    while (end > url && (libraryText[end - 1] == '.' || libraryText[end - 1] == ',' || libraryText[end - 1] == ':'))
      --end;
    const std::string_view address = libraryText.substr(url, end - url);
    const std::optional<Text> path = PathOfAddress(address, style);
    // Another computer's address as that computer's path.
    shown += path ? Utf8Of(*path) : std::string(address.substr(std::string_view("file:").size()));
    at = end;
  }
  return TextOfUtf8(shown);
}

}  // namespace rt
