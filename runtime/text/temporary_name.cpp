#include "runtime/text/temporary_name.h"

#include "runtime/text/number_text.h"

namespace rt {
namespace {

constexpr TextView kPrefix = u"vxt", kSuffix = u".tmp";

// Digits of the given base from `at` up to `end`, none of them missing; false otherwise.
bool ReadNumber(TextView text, std::size_t at, std::size_t end, unsigned base, std::uint32_t& number) {
  if (end <= at || end - at > (base == 16 ? 8u : 10u)) return false;
  std::uint64_t value = 0;
  for (std::size_t i = at; i < end; ++i) {
    const char16_t c = text[i];
    unsigned digit = 16;
    if (c >= u'0' && c <= u'9') digit = static_cast<unsigned>(c - u'0');
    if (base == 16 && c >= u'A' && c <= u'F') digit = static_cast<unsigned>(c - u'A' + 10);
    if (digit >= base) return false;
    value = value * base + digit;
  }
  if (value > 0xFFFFFFFFu) return false;
  number = static_cast<std::uint32_t>(value);
  return true;
}

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

Text TemporaryName(TemporaryOwner owner, std::uint32_t serial) {
  return Concat(
      {kPrefix, DecimalText(owner.process), u"-", HexText(owner.computer, 8), u"-", DecimalText(serial), kSuffix});
}

std::optional<TemporaryOwner> OwnerOfTemporaryName(TextView name) {
  if (name.size() < kPrefix.size() + kSuffix.size()) return std::nullopt;
  Text lower(name);
  for (char16_t& c : lower) c = Lower(c);
  if (!TextView(lower).starts_with(kPrefix) || !TextView(lower).ends_with(kSuffix)) return std::nullopt;
  const std::size_t end = name.size() - kSuffix.size();
  const std::size_t first = name.find(u'-', kPrefix.size());
  const std::size_t second = first == TextView::npos ? first : name.find(u'-', first + 1);
  if (second == TextView::npos || second > end) return std::nullopt;
  TemporaryOwner owner;
  std::uint32_t serial = 0;
  if (!ReadNumber(name, kPrefix.size(), first, 10, owner.process) ||
      !ReadNumber(name, first + 1, second, 16, owner.computer) || second - first - 1 != 8 ||
      !ReadNumber(name, second + 1, end, 10, serial)) {
    return std::nullopt;
  }
  return owner;
}

// FNV-1a over the name's units, so that the same computer always gives the same digest.
std::uint32_t ComputerDigest(TextView computerName) {
  std::uint32_t digest = 2166136261u;
  for (const char16_t c : computerName) {
    const char16_t unit = Lower(c);
    for (const unsigned byte : {unit & 0xFFu, static_cast<unsigned>(unit >> 8)}) {
      digest = (digest ^ byte) * 16777619u;
    }
  }
  return digest;
}

}  // namespace rt
