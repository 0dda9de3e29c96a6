#include "transform/xml_support/code_pages.h"

#include <libxml/encoding.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace rt {
namespace {

// The library's conversion functions take no context, so each page gets a slot of its own with
// functions made for that slot; the system's pages fit with room to spare.
constexpr std::size_t kSlots = 24;

// The library cuts the name it looks for at 99 characters, so a longer one would never be found.
constexpr std::size_t kLongestName = 98;

constexpr char16_t kUndefined = 0xFFFF;

// Characters below this are looked up directly when written: every letter of the system's pages
// but a few signs (€, №, box drawing) that are searched for.
constexpr char32_t kDirectlyWritten = 0x800;

struct Page {
  // As the library keeps it, in upper case; empty while the slot is free. Not a string, so that
  // the slots stay untouched memory in a process that never registers a page.
  std::array<char, kLongestName + 1> name{};
  CodePageTable chars{};
  // Each byte's character in UTF-8, its length in the last place (0: the page leaves it undefined).
  std::array<std::array<unsigned char, 4>, 256> utf8{};
  bool asciiSame = false;  // the bytes below 0x80 are ASCII
  // Each defined byte as character << 8 | byte, sorted, so that writing finds a character's byte.
  std::array<std::uint32_t, 256> bytes{};
  std::size_t byte_count = 0;
  // The byte of each character below kDirectlyWritten; 0 when it has none (or is U+0000).
  std::array<unsigned char, kDirectlyWritten> direct{};
};

Page g_pages[kSlots];

bool Defined(char16_t unit) { return unit != kUndefined && (unit < 0xD800 || unit > 0xDFFF); }

std::array<unsigned char, 4> Utf8Of(char16_t unit) {
  if (!Defined(unit)) return {0, 0, 0, 0};
  if (unit < 0x80) return {static_cast<unsigned char>(unit), 0, 0, 1};
  if (unit < 0x800) {
    return {static_cast<unsigned char>(0xC0 | (unit >> 6)), static_cast<unsigned char>(0x80 | (unit & 0x3F)), 0, 2};
  }
  return {static_cast<unsigned char>(0xE0 | (unit >> 12)), static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F)),
          static_cast<unsigned char>(0x80 | (unit & 0x3F)), 3};
}

void Fill(Page& page, const CodePageTable& table) {
  page.chars = table;
  page.asciiSame = true;
  page.byte_count = 0;
  for (std::uint32_t byte = 0; byte < 256; ++byte) {
    page.utf8[byte] = Utf8Of(table[byte]);
    if (byte < 0x80 && table[byte] != byte) page.asciiSame = false;
    if (Defined(table[byte])) page.bytes[page.byte_count++] = (std::uint32_t{table[byte]} << 8) | byte;
  }
  const auto begin = page.bytes.begin();
  std::sort(begin, begin + static_cast<std::ptrdiff_t>(page.byte_count));
  // A character two bytes share is written as the lower one.
  const auto end = std::unique(begin, begin + static_cast<std::ptrdiff_t>(page.byte_count),
                               [](std::uint32_t a, std::uint32_t b) { return a >> 8 == b >> 8; });
  page.byte_count = static_cast<std::size_t>(end - begin);
  page.direct.fill(0);
  for (auto at = begin; at != end; ++at) {
    if ((*at >> 8) < kDirectlyWritten) page.direct[*at >> 8] = static_cast<unsigned char>(*at & 0xFF);
  }
}

// The page's byte for the character, or -1.
int ByteFor(const Page& page, char32_t code) {
  if (code < 0x80 && page.chars[code] == code) return static_cast<int>(code);
  if (code > 0xFFFF) return -1;
  const auto end = page.bytes.begin() + static_cast<std::ptrdiff_t>(page.byte_count);
  const auto found = std::lower_bound(page.bytes.begin(), end, std::uint32_t{code} << 8);
  if (found == end || *found >> 8 != code) return -1;
  return static_cast<int>(*found & 0xFF);
}

// The library's contract: *inlen and *outlen say how much was read and written, up to the byte
// the page leaves undefined when the result is -2.
int ToUtf8(const Page& page, unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  if (out == nullptr || outlen == nullptr || in == nullptr || inlen == nullptr) return -1;
  const unsigned char* const in_start = in;
  const unsigned char* const in_end = in + *inlen;
  unsigned char* const out_start = out;
  unsigned char* const out_end = out + *outlen;
  int result = 0;
  // Read once: the bytes written could be anything to the compiler, the page included.
  const bool asciiSame = page.asciiSame;
  while (in < in_end) {
    if (*in < 0x80 && asciiSame) {
      // Runs of ASCII (the tags, the numbers) four bytes at a time.
      if (in_end - in >= 4 && out_end - out >= 4) {
        std::uint32_t four;
        std::memcpy(&four, in, 4);
        if ((four & 0x80808080u) == 0) {
          std::memcpy(out, &four, 4);
          in += 4;
          out += 4;
          continue;
        }
      }
      if (out == out_end) break;
      *out++ = *in++;
      continue;
    }
    const std::array<unsigned char, 4>& code = page.utf8[*in];
    const std::ptrdiff_t length = code[3];
    if (length == 0) {
      result = -2;
      break;
    }
    if (out_end - out < length) break;
    out[0] = code[0];
    if (length > 1) out[1] = code[1];
    if (length > 2) out[2] = code[2];
    out += length;
    ++in;
  }
  *inlen = static_cast<int>(in - in_start);
  *outlen = static_cast<int>(out - out_start);
  return result < 0 ? result : *outlen;
}

// On -2 the library reads the character at *inlen and writes it as a character reference, so
// both counts stop just before that character.
int FromUtf8(const Page& page, unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  if (out == nullptr || outlen == nullptr || inlen == nullptr) return -1;
  if (in == nullptr) {
    // The call before the first text: a single-byte page writes nothing ahead of it.
    *outlen = 0;
    *inlen = 0;
    return 0;
  }
  const unsigned char* const in_start = in;
  const unsigned char* const in_end = in + *inlen;
  unsigned char* const out_start = out;
  unsigned char* const out_end = out + *outlen;
  int result = 0;
  const bool asciiSame = page.asciiSame;
  const unsigned char* const direct = page.direct.data();
  while (in < in_end && out < out_end) {
    const unsigned char lead = *in;
    // ASCII, four bytes at a time where it runs, and the two-byte characters (the page's
    // letters) straight from the tables.
    if (lead < 0x80 && asciiSame) {
      std::uint32_t four;
      if (in_end - in >= 4 && out_end - out >= 4 && (std::memcpy(&four, in, 4), (four & 0x80808080u) == 0)) {
        std::memcpy(out, &four, 4);
        in += 4;
        out += 4;
        continue;
      }
      *out++ = lead;
      ++in;
      continue;
    }
    if (lead >= 0xC0 && lead < 0xE0 && in_end - in >= 2 && (in[1] & 0xC0) == 0x80) {
      const unsigned char byte = direct[(lead & 0x1Fu) << 6 | (in[1] & 0x3Fu)];
      if (byte != 0) {
        *out++ = byte;
        in += 2;
        continue;
      }
    }
    std::ptrdiff_t length = 1;
    char32_t code = lead;
    if (lead >= 0xF8 || (lead >= 0x80 && lead < 0xC0)) {
      result = -2;
      break;
    }
    if (lead >= 0xF0) {
      length = 4;
      code = lead & 0x07u;
    } else if (lead >= 0xE0) {
      length = 3;
      code = lead & 0x0Fu;
    } else if (lead >= 0xC0) {
      length = 2;
      code = lead & 0x1Fu;
    }
    // The rest of the character comes with the next block.
    if (in_end - in < length) break;
    bool valid = true;
    for (std::ptrdiff_t at = 1; at < length; ++at) {
      valid = valid && (in[at] & 0xC0) == 0x80;
      code = (code << 6) | (in[at] & 0x3Fu);
    }
    const int byte = valid ? ByteFor(page, code) : -1;
    if (byte < 0) {
      result = -2;
      break;
    }
    *out++ = static_cast<unsigned char>(byte);
    in += length;
  }
  *inlen = static_cast<int>(in - in_start);
  *outlen = static_cast<int>(out - out_start);
  return result < 0 ? result : *outlen;
}

template <std::size_t kSlot>
int SlotToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  return ToUtf8(g_pages[kSlot], out, outlen, in, inlen);
}

template <std::size_t kSlot>
int SlotFromUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  return FromUtf8(g_pages[kSlot], out, outlen, in, inlen);
}

struct SlotFunctions {
  xmlCharEncodingInputFunc input;
  xmlCharEncodingOutputFunc output;
};

template <std::size_t... kSlot>
constexpr std::array<SlotFunctions, sizeof...(kSlot)> MakeSlotFunctions(std::index_sequence<kSlot...>) {
  return {{{&SlotToUtf8<kSlot>, &SlotFromUtf8<kSlot>}...}};
}

constexpr auto kSlotFunctions = MakeSlotFunctions(std::make_index_sequence<kSlots>());

// Whether the library, asked for the name, answers with the slot's functions. The library's
// registration gives no sign of failure (it frees the handler when it has no room), and a
// built-in encoding of the same name would be found first.
bool Serves(const std::string& name, std::size_t slot) {
  xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(name.c_str());
  if (handler == nullptr) return false;
  if (handler->input == kSlotFunctions[slot].input) return true;
  // Frees a converter made just for this look-up; registered ones stay.
  xmlCharEncCloseFunc(handler);
  return false;
}

}  // namespace

bool RegisterSingleBytePage(std::string_view name, const CodePageTable& table) {
  if (name.empty() || name.size() > kLongestName || name.find('\0') != std::string_view::npos) return false;
  std::string upper(name);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  const auto named = [](const Page& page) { return std::string_view(page.name.data()); };
  std::size_t slot = 0;
  while (slot < kSlots && !named(g_pages[slot]).empty() && named(g_pages[slot]) != upper) ++slot;
  if (slot == kSlots) return false;
  Page& page = g_pages[slot];
  Fill(page, table);
  // A page registered again keeps its slot; the library still has it unless it was cleaned up.
  if (!named(page).empty() && Serves(upper, slot)) return true;
  upper.copy(page.name.data(), upper.size());
  page.name[upper.size()] = '\0';
  xmlNewCharEncodingHandler(upper.c_str(), kSlotFunctions[slot].input, kSlotFunctions[slot].output);
  if (Serves(upper, slot)) return true;
  page.name[0] = '\0';
  return false;
}

#ifndef _WIN32
void RegisterSystemCodePages() {}
#endif

}  // namespace rt
