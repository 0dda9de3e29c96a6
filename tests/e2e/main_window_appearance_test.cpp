// What the main window looks like in pixels: the entries' two text colours and the icon in
// the title bar, read from the screen because another process's drawing cannot be asked for.
#include <optional>

#include "tests/e2e/main_window_checks.h"

namespace e2e {
namespace {

constexpr COLORREF kInputColour = RGB(0, 128, 192);
constexpr COLORREF kOutputColour = RGB(0, 64, 128);
constexpr COLORREF kDefaultTextColour = RGB(0, 0, 0);
// Enough pixels that the text, not a stray dot, has the colour.
constexpr int kMinimumTextPixels = 40;
constexpr driver::Timeout kPaintTimeout{3000};
constexpr int kSmallIconSize = 16;
// How far into the title bar the icon may sit.
constexpr int kIconSearchWidth = 64;

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// One image of the program's icon as this process draws it: colours and which pixels are opaque.
struct IconImage {
  int size = 0;
  std::vector<COLORREF> colours;
  std::vector<bool> opaque;
};

std::optional<std::vector<DWORD>> BitmapPixels(HBITMAP bitmap, int size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<std::size_t>(size * size));
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != size) return std::nullopt;
  return pixels;
}

// The icon resource of the executable at this size, read from the file, not from the process.
std::optional<IconImage> ProgramIcon(const std::wstring& executable, int size) {
  HMODULE module = LoadLibraryExW(executable.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return std::nullopt;
  HICON icon = static_cast<HICON>(LoadImageW(module, L"VEXILATE_ICO", IMAGE_ICON, size, size, 0));
  std::optional<IconImage> image;
  ICONINFO info{};
  if (icon && GetIconInfo(icon, &info)) {
    const auto colours = BitmapPixels(info.hbmColor, size);
    const auto mask = BitmapPixels(info.hbmMask, size);
    if (colours && mask) {
      image.emplace();
      image->size = size;
      for (std::size_t i = 0; i < colours->size(); ++i) {
        const DWORD pixel = (*colours)[i];
        image->colours.push_back(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));
        image->opaque.push_back(((*mask)[i] & 0xFFFFFF) == 0);
      }
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  if (icon) DestroyIcon(icon);
  FreeLibrary(module);
  return image;
}

bool ImageAt(const ScreenPixels& screen, const IconImage& image, int left, int top) {
  for (int y = 0; y < image.size; ++y) {
    for (int x = 0; x < image.size; ++x) {
      const auto i = static_cast<std::size_t>(y * image.size + x);
      if (image.opaque[i] && screen.At(left + x, top + y) != image.colours[i]) return false;
    }
  }
  return true;
}

bool ShowsImage(const ScreenPixels& screen, const IconImage& image) {
  for (int top = 0; top + image.size <= screen.height; ++top) {
    for (int left = 0; left + image.size <= screen.width; ++left) {
      if (ImageAt(screen, image, left, top)) return true;
    }
  }
  return false;
}

class MainWindowAppearance : public MainWindowTest {
 protected:
  void SetUp() override { Start(); }

  // The entry's pixels once the text has been painted in some colour other than white.
  ScreenPixels EntryPixels(int control, COLORREF expected) {
    ScreenPixels pixels;
    try {
      driver::WaitUntil(
          [&] {
            pixels = CaptureScreen(ControlWindow(control).ScreenRect());
            return pixels.Count(expected) >= kMinimumTextPixels;
          },
          L"the text of control " + std::to_wstring(control) + L" to be painted", Program().Id(), kPaintTimeout);
    } catch (const driver::DriverError&) {
      // The counts below say what was painted instead.
    }
    return pixels;
  }
};

TEST_F(MainWindowAppearance, EntriesDrawTheirTextInTwoDifferentBlues) {
  const std::wstring text = L"WWWWWWWWWWWWWWWW";
  ControlWindow(PATHIN).SetText(text);
  ControlWindow(PATHOUT).SetText(text);

  struct Case {
    int control;
    COLORREF own;
    COLORREF other;
  };
  for (const Case& c : {Case{PATHIN, kInputColour, kOutputColour}, Case{PATHOUT, kOutputColour, kInputColour}}) {
    SCOPED_TRACE("control " + std::to_string(c.control));
    const ScreenPixels pixels = EntryPixels(c.control, c.own);
    EXPECT_GE(pixels.Count(c.own), kMinimumTextPixels)
        << "pixels of the entry's own colour 0x" << std::hex << c.own << std::dec << "; default-coloured pixels "
        << pixels.Count(kDefaultTextColour) << ", of the other entry's colour " << pixels.Count(c.other);
    EXPECT_EQ(pixels.Count(c.other), 0) << "pixels of the other entry's colour 0x" << std::hex << c.other;
    EXPECT_EQ(pixels.Count(kDefaultTextColour), 0) << "pixels of the default text colour";
  }
}

TEST_F(MainWindowAppearance, WindowCarriesTheProgramIcon) {
  const HICON big = MainWindow().BigIcon();
  const HICON small = MainWindow().SmallIcon();
  if (big != nullptr && small != nullptr) return;  // the platform answers WM_GETICON across processes
  ASSERT_TRUE(UnderWine()) << "WM_GETICON gives big icon " << big << " and small icon " << small;

  // Wine cannot carry WM_GETICON between processes; it draws the small icon in the title bar,
  // so the program's own 16x16 image has to be found there.
  const std::optional<IconImage> icon = ProgramIcon(AppDirectory() + L"\\vexilate.exe", kSmallIconSize);
  ASSERT_TRUE(icon.has_value()) << "cannot read the icon VEXILATE_ICO of the executable";
  const RECT window = MainWindow().ScreenRect();
  POINT client{0, 0};
  ClientToScreen(MainWindow().handle(), &client);
  const RECT titleBar{window.left, window.top, window.left + kIconSearchWidth, client.y};
  bool found = false;
  try {
    driver::WaitUntil([&] { return ShowsImage(CaptureScreen(titleBar), *icon); }, L"the icon in the title bar",
                      Program().Id(), kPaintTimeout);
    found = true;
  } catch (const driver::DriverError&) {
  }
  EXPECT_TRUE(found) << "the title bar (" << kIconSearchWidth << "x" << client.y - window.top
                     << " pixels from its left end) does not show the program's 16x16 icon";
}

}  // namespace
}  // namespace e2e
