// The one way runtime code reaches the Windows headers.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// Not part of the lean set: the common dialogs, their control identifiers, the shell, OLE
// (drag and drop), security descriptors written as text.
#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <ole2.h>
#include <sddl.h>
#include <shellapi.h>

// wingdi.h's ERROR (a region result) would hide the last-error service of the same name.
#undef ERROR

#include <string>
#include <string_view>

namespace rt {

// UTF-16 text as the "W" functions take it (wchar_t is 16 bits on Windows).
inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline std::u16string FromWide(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }
inline std::u16string FromWide(const wchar_t* text, std::size_t count) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), count);
}

}  // namespace rt
