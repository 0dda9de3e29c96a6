#include "runtime/dialogs/clipboard_win32.h"

#include <algorithm>
#include <utility>

namespace rt {
namespace {

constexpr int kOpenAttempts = 10;
constexpr DWORD kOpenPauseMs = 20;

}  // namespace

void PutOnClipboard(HWND owner, const Text& text) {
  PutOnClipboard(owner, [&](const std::function<void(TextView)>& put) { put(text); });
}

ClipboardText::~ClipboardText() {
  if (memory_) GlobalFree(memory_);
}

bool ClipboardText::Write(const TextWriter& write) {
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
  if (memory_) GlobalFree(memory_);
  memory_ = memory;
  return true;
}

bool PutOnClipboard(HWND owner, ClipboardText& text) {
  if (!text.memory_) return false;
  // Another program may hold the clipboard for a moment (one that watches it, say).
  bool open = false;
  for (int attempt = 0; attempt < kOpenAttempts && !(open = OpenClipboard(owner)); ++attempt) Sleep(kOpenPauseMs);
  if (!open) return false;
  EmptyClipboard();
  // Once put, the memory is the clipboard's.
  const bool put = SetClipboardData(CF_UNICODETEXT, text.memory_) != nullptr;
  if (put) text.memory_ = nullptr;
  CloseClipboard();
  return put;
}

bool PutOnClipboard(HWND owner, const TextWriter& write) {
  ClipboardText text;
  return text.Write(write) && PutOnClipboard(owner, text);
}

}  // namespace rt
