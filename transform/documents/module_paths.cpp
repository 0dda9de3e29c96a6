#include "transform/documents/module_paths.h"

#include <string>
#include <vector>

namespace rt {
namespace {

constexpr std::size_t kShortPathLimit = 248;  // what CreateDirectory takes; files take 260

bool IsLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// "%XX" sequences are bytes of UTF-8; a byte that is not part of a valid sequence stands for
// itself.
Text PercentDecoded(TextView text) {
  Text result;
  std::size_t at = 0;
  while (at < text.size()) {
    std::string bytes;
    while (at + 2 < text.size() && text[at] == u'%' && HexValue(text[at + 1]) >= 0 && HexValue(text[at + 2]) >= 0) {
      bytes.push_back(static_cast<char>(HexValue(text[at + 1]) * 16 + HexValue(text[at + 2])));
      at += 3;
    }
    for (std::size_t i = 0; i < bytes.size();) {
      const auto lead = static_cast<unsigned char>(bytes[i]);
      const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
      char32_t c = length == 1 ? lead : lead & (0x3F >> (length > 0 ? length - 1 : 0));
      bool valid = length > 0 && i + length <= bytes.size();
      for (std::size_t k = 1; valid && k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        valid = (next & 0xC0) == 0x80;
        c = c << 6 | (next & 0x3F);
      }
      if (!valid) {
        result.push_back(lead);
        ++i;
        continue;
      }
      if (c >= 0x10000) {
        result.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        result.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        result.push_back(static_cast<char16_t>(c));
      }
      i += length;
    }
    if (at < text.size()) result.push_back(text[at++]);
  }
  return result;
}

// The root ("C:\" or "\\server\share\") and the rest of a full path.
std::size_t RootLength(TextView path) {
  if (path.size() >= 2 && IsLetter(path[0]) && path[1] == u':') return path.size() > 2 ? 3 : 2;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t at = 2;
    for (int part = 0; part < 2 && at < path.size(); ++part) {
      while (at < path.size() && !IsSeparator(path[at])) ++at;
      if (at < path.size()) ++at;
    }
    return at;
  }
  return IsSeparator(path.empty() ? u'x' : path[0]) ? 1 : 0;
}

// Backslashes only, "." and ".." resolved (never above the root).
Text Normalised(TextView path) {
  const std::size_t root = RootLength(path);
  Text result(path.substr(0, root));
  for (char16_t& c : result) c = IsSeparator(c) ? u'\\' : c;
  std::vector<TextView> parts;
  std::size_t at = root;
  while (at <= path.size()) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const TextView part = path.substr(at, end - at);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    at = end + 1;
  }
  for (std::size_t i = 0; i < parts.size(); ++i) result = Concat({result, i > 0 ? u"\\" : u"", parts[i]});
  return result;
}

}  // namespace

std::optional<Text> ModuleFilePath(TextView modulePath, TextView href) {
  href = href.substr(0, href.find(u'#'));
  const std::size_t colon = href.find(u':');
  const bool scheme = colon != TextView::npos && colon > 1 && IsLetter(href[0]);
  Text path;
  if (scheme) {
    Text lower(href.substr(0, colon));
    for (char16_t& c : lower) c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (lower != u"file") return std::nullopt;
    TextView rest = href.substr(colon + 1);
    if (rest.starts_with(u"///")) {
      rest.remove_prefix(3);
    } else if (rest.starts_with(u"//localhost/")) {
      rest.remove_prefix(12);
    } else if (rest.starts_with(u"//")) {
      path = u"\\\\";  // a server's share
      rest.remove_prefix(2);
    } else if (rest.starts_with(u"/")) {
      rest.remove_prefix(1);
    }
    path += PercentDecoded(rest);
  } else {
    const Text decoded = PercentDecoded(href);
    const std::size_t baseRoot = RootLength(modulePath);
    if (RootLength(decoded) >= 2) {
      path = decoded;  // a drive or a share
    } else if (RootLength(decoded) == 1) {
      path = Concat({modulePath.substr(0, baseRoot), TextView(decoded).substr(1)});
    } else {
      const std::size_t slash = modulePath.find_last_of(u"\\/");
      path = Concat({modulePath.substr(0, slash == TextView::npos ? 0 : slash + 1), decoded});
    }
  }
  return Normalised(path);
}

Text FileUrl(TextView fullPath) {
  Text url = u"file:///";
  TextView path = fullPath;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    url = u"file://";
    path.remove_prefix(2);
  }
  constexpr TextView kEscaped = u"%#?\"<>`{}|^[]";
  for (const char16_t c : path) {
    if (c == u'\\') {
      url.push_back(u'/');
    } else if (c <= 0x20 || c == 0x7F || kEscaped.find(c) != TextView::npos) {
      constexpr char16_t kHex[] = u"0123456789ABCDEF";
      url += Text{u'%', kHex[c >> 4 & 0xF], kHex[c & 0xF]};
    } else {
      url.push_back(c);
    }
  }
  return url;
}

Text ExtendedLengthPath(TextView fullPath) {
  if (fullPath.size() < kShortPathLimit || fullPath.starts_with(u"\\\\?\\")) return Text(fullPath);
  if (fullPath.starts_with(u"\\\\")) return Concat({u"\\\\?\\UNC\\", fullPath.substr(2)});
  return Concat({u"\\\\?\\", fullPath});
}

}  // namespace rt
