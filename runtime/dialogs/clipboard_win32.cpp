#include "runtime/dialogs/clipboard_win32.h"

#include <algorithm>

namespace rt {
namespace {

constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenPauseMs = 20;

}  // namespace

void PutOnClipboard(HWND owner, const Text& text) {
  PutOnClipboard(owner, [&](const std::function<void(TextView)>& put) { put(text); });
}

bool PutOnClipboard(HWND owner, const TextWriter& write) {
  std::size_t length = 0;
  write([&](TextView part) { length += part.size(); });
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (length + 1) * sizeof(char16_t));
  if (!memory) return false;
  auto* target = static_cast<char16_t*>(GlobalLock(memory));
  if (!target) {
    GlobalFree(memory);
    return false;
  }
  std::size_t written = 0;
  try {
    write([&](TextView part) {  // never past the length measured, whatever the second writing gives
      const std::size_t count = std::min(part.size(), length - written);
      std::copy_n(part.data(), count, target + written);
      written += count;
    });
  } catch (...) {
    GlobalUnlock(memory);
    GlobalFree(memory);
    throw;
  }
  target[written] = u'\0';
  GlobalUnlock(memory);
  // Another program may hold the clipboard for a moment (one that watches it, say).
  bool open = false;
  for (int attempt = 0; attempt < kOpenAttempts && !(open = OpenClipboard(owner)); ++attempt) Sleep(kOpenPauseMs);
  if (!open) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  if (!put) GlobalFree(memory);
  CloseClipboard();
  return put;
}

}  // namespace rt
