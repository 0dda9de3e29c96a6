#include "tests/driver/icon_match.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

namespace driver {
namespace {

using Pixels = std::vector<std::uint32_t>;

// Anti-aliased edges may round differently by a step or two; another icon differs by far more.
constexpr int kChannelTolerance = 8;
constexpr Timeout kRetryInterval{100};

std::wstring IconName(const wchar_t* systemIcon) {
  return L"system icon " + std::to_wstring(reinterpret_cast<std::uintptr_t>(systemIcon));
}

// The bitmap's pixels as 32-bit top-down BGRA, or nothing when it cannot be read.
std::optional<Pixels> ReadPixels(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  Pixels pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height) {
    return std::nullopt;
  }
  return pixels;
}

struct IconImage {
  int width = 0;
  int height = 0;
  Pixels color;  // empty for a monochrome icon
  Pixels mask;
};

std::optional<IconImage> ReadIcon(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return std::nullopt;
  IconImage image;
  HDC dc = GetDC(nullptr);
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  image.width = mask.bmWidth;
  image.height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
  bool ok = true;
  if (auto pixels = ReadPixels(dc, info.hbmMask, mask.bmWidth, mask.bmHeight)) {
    image.mask = std::move(*pixels);
  } else {
    ok = false;
  }
  if (info.hbmColor) {
    if (auto pixels = ReadPixels(dc, info.hbmColor, image.width, image.height)) {
      image.color = std::move(*pixels);
    } else {
      ok = false;
    }
  }
  ReleaseDC(nullptr, dc);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (!ok) return std::nullopt;
  return image;
}

bool Near(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int left = static_cast<int>((a >> shift) & 0xFF), right = static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(left - right) > kChannelTolerance) return false;
  }
  return true;
}

// A memory bitmap the size of the control, filled with one colour, with the icon drawn over it
// the way the static control draws it.
class Canvas {
 public:
  Canvas(HDC screen, int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  void Fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, width_, height_};
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  void Draw(HICON icon, const RECT& where) {
    DrawIconEx(dc_, where.left, where.top, icon, where.right - where.left, where.bottom - where.top, 0, nullptr,
               DI_NORMAL);
  }
  Pixels Read() const { return ReadPixels(dc_, bitmap_, width_, height_).value_or(Pixels{}); }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

COLORREF ToColorRef(std::uint32_t bgra) { return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF); }

IconCheck CompareOnScreen(const Window& control, HICON expected, const std::wstring& name) {
  IconCheck check{false, L"same pixels on the screen", {}};
  RECT client{};
  GetClientRect(control.handle(), &client);
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) {
    check.detail = L"the icon control has no area";
    return check;
  }
  POINT origin{0, 0};
  ClientToScreen(control.handle(), &origin);
  const POINT centre{origin.x + width / 2, origin.y + height / 2};
  if (GetAncestor(WindowFromPoint(centre), GA_ROOT) != GetAncestor(control.handle(), GA_ROOT)) {
    check.detail = L"the icon control is covered by another window";
    return check;
  }
  // The static control stretches the icon over its client area unless it centres it.
  RECT where = client;
  if ((control.Style() & SS_CENTERIMAGE) != 0) {
    const int iconWidth = GetSystemMetrics(SM_CXICON), iconHeight = GetSystemMetrics(SM_CYICON);
    where = RECT{(width - iconWidth) / 2, (height - iconHeight) / 2, 0, 0};
    where.right = where.left + iconWidth;
    where.bottom = where.top + iconHeight;
  }

  HDC screen = GetDC(nullptr);
  Canvas shown(screen, width, height), onBlack(screen, width, height), onWhite(screen, width, height),
      drawn(screen, width, height);
  BitBlt(shown.dc(), 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  onBlack.Fill(RGB(0, 0, 0));
  onBlack.Draw(expected, where);
  onWhite.Fill(RGB(255, 255, 255));
  onWhite.Draw(expected, where);
  const Pixels screenPixels = shown.Read(), black = onBlack.Read(), white = onWhite.Read();

  // The background is what the screen shows where the icon lets everything through.
  std::optional<std::uint32_t> background;
  for (std::size_t i = 0; i < black.size() && !background; ++i) {
    if ((black[i] & 0xFFFFFF) == 0 && (white[i] & 0xFFFFFF) == 0xFFFFFF) background = screenPixels[i];
  }
  drawn.Fill(background ? ToColorRef(*background) : GetSysColor(COLOR_3DFACE));
  drawn.Draw(expected, where);
  const Pixels expectedPixels = drawn.Read();
  ReleaseDC(nullptr, screen);

  if (screenPixels.empty() || expectedPixels.size() != screenPixels.size()) {
    check.detail = L"the screen could not be read";
    return check;
  }
  std::size_t different = 0;
  for (std::size_t i = 0; i < screenPixels.size(); ++i) {
    if (!Near(screenPixels[i], expectedPixels[i])) ++different;
  }
  check.matches = different == 0;
  if (!check.matches) {
    check.detail =
        std::to_wstring(different) + L" of " + std::to_wstring(screenPixels.size()) + L" pixels differ from " + name;
  }
  return check;
}

IconCheck CompareOnce(const Window& control, const wchar_t* systemIcon) {
  const std::wstring name = IconName(systemIcon);
  const HICON expected = LoadIconW(nullptr, systemIcon);
  if (expected == nullptr) return IconCheck{false, L"none", L"LoadIconW does not know " + name};
  const HICON shown = control.StaticIcon();
  if (shown == nullptr) return IconCheck{false, L"same handle", L"the control shows no icon"};
  if (shown == expected) return IconCheck{true, L"same handle", {}};

  if (const auto shownImage = ReadIcon(shown)) {
    const auto expectedImage = ReadIcon(expected);
    IconCheck check{false, L"same image", {}};
    check.matches = expectedImage && shownImage->width == expectedImage->width &&
                    shownImage->height == expectedImage->height && shownImage->color == expectedImage->color &&
                    shownImage->mask == expectedImage->mask;
    if (!check.matches) check.detail = L"the icon's image is not that of " + name;
    return check;
  }
  return CompareOnScreen(control, expected, name);
}

}  // namespace

IconCheck CompareWithSystemIcon(const Window& iconControl, const wchar_t* systemIcon, Timeout settle) {
  const auto deadline = std::chrono::steady_clock::now() + settle;
  for (;;) {
    IconCheck check = CompareOnce(iconControl, systemIcon);
    if (check.matches || std::chrono::steady_clock::now() >= deadline) return check;
    std::this_thread::sleep_for(kRetryInterval);
  }
}

}  // namespace driver
