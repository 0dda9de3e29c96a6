// The single-byte code pages of Windows (windows-1250…1258, the OEM pages such as 866, KOI8-R,
// KOI8-U) as encodings of the XML library, converted by the page's own table of characters: on
// Windows that table comes from the system's conversion, so the library reads and writes these
// pages as Windows does; natively the library's iconv converts them and nothing is registered.
#pragma once

#include <array>
#include <string_view>

namespace rt {

// A page's 256 characters, each byte's UTF-16 unit; 0xFFFF for a byte the page leaves undefined.
using CodePageTable = std::array<char16_t, 256>;

// Registers the page with the XML library under `name` (e.g. "windows-1251"), before any parse.
// A byte the page leaves undefined is an encoding error when read; a character the page has no
// byte for is written by the library as a character reference. False when the library has no
// room for another encoding.
bool RegisterSingleBytePage(std::string_view name, const CodePageTable& table);

// Registers the system's single-byte pages, under their usual names and aliases ("cp1251",
// "ibm866", …); on Windows only.
void RegisterSystemCodePages();

}  // namespace rt
