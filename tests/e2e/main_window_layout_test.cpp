// The main window as it stands on the screen: title, frame, controls and their places, read
// back from the live window of the real program.
#include "tests/e2e/main_window_checks.h"

namespace e2e {
namespace {

constexpr int kDefaultSize = -1;

struct ExpectedControl {
  int number;
  const wchar_t* className;
  const wchar_t* text;
  int x, y, width, height;  // dialog units; width kDefaultSize: the runtime's choice
};

constexpr ExpectedControl kExpectedControls[] = {
    {BUTTONLOOKUPPATHIN, L"Button", L"Путь к входному  файлу", 4, 10, 103, 14},
    {PATHIN, L"Edit", L"", 111, 10, 260, 14},
    {BUTTONLOOKUPPATHOUT, L"Button", L"Путь для выходного  файлу", 4, 36, kDefaultSize, 14},
    {PATHOUT, L"Edit", L"", 111, 36, 260, 14},
    {BUTTONCONVERT, L"Button", L"Конвертация", 109, 74, 125, 28},
    {BUTTONEXIT, L"Button", L"Выход", 336, 102, kDefaultSize, 14},
    {BUTTONNEWFILES, L"Button", L"&Новые файлы", 4, 74, 101, 28},
    {BUTTONJOURNAL, L"Button", L"&Журнал", 238, 74, 94, 28},
};

constexpr int kClientWidth = 374;
constexpr int kClientHeight = 121;
// Where the dialog units are read off: the widest control across, the tallest down.
constexpr int kScaleControlWidth = 260;  // ?PATHIN
constexpr int kScaleControlHeight = 28;  // ?BUTTONCONVERT
constexpr int kPixelTolerance = 1;
constexpr int kCentringTolerance = 2;

// The dialog's base units as whole numbers, read off the control of known size: a dialog
// unit is a quarter of the base width and an eighth of the base height.
struct BaseUnits {
  int x = 0;
  int y = 0;
  int Across(int units) const { return MulDiv(units, x, 4); }
  int Down(int units) const { return MulDiv(units, y, 8); }
};

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

// The window's font as the dialog manager makes it from the template, to measure captions.
class DialogFont {
 public:
  DialogFont() {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font_ = CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_DONTCARE, L"MS Sans Serif");
  }
  ~DialogFont() { DeleteObject(font_); }
  DialogFont(const DialogFont&) = delete;
  DialogFont& operator=(const DialogFont&) = delete;

  int TextWidth(const std::wstring& text) const {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font_);
    SIZE extent{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return extent.cx;
  }

 private:
  HFONT font_ = nullptr;
};

class MainWindowLayout : public MainWindowTest {
 protected:
  void SetUp() override { Start(); }

  RECT ControlRect(int number) const { return ControlWindow(number).RectInParent(); }

  BaseUnits ReadBaseUnits() const {
    const int across = Width(ControlRect(PATHIN));
    const int down = Height(ControlRect(BUTTONCONVERT));
    return {(across * 4 + kScaleControlWidth / 2) / kScaleControlWidth,
            (down * 8 + kScaleControlHeight / 2) / kScaleControlHeight};
  }
};

TEST_F(MainWindowLayout, TitleKeepsItsFiftyBlanks) {
  const std::wstring title = MainWindow().Text();
  EXPECT_EQ(title.size(), 95u) << "title \"" << Utf8(title) << "\"";
  EXPECT_EQ(title, L"Конвертация файлов из 7 формата в 4" + std::wstring(50, L' ') + L"версия 1.0")
      << "title \"" << Utf8(title) << "\"";
}

TEST_F(MainWindowLayout, ControlsInNumberOrderWithTheirClassesAndTexts) {
  const std::vector<driver::ChildInfo> children = MainWindow().Children();
  ASSERT_EQ(children.size(), std::size(kExpectedControls)) << "controls of the main window";
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ExpectedControl& expected = kExpectedControls[i];
    const driver::ChildInfo& child = children[i];
    SCOPED_TRACE("control " + std::to_string(expected.number));
    EXPECT_EQ(child.id, kControlIdBase + expected.number) << "dialog id of the control in place " << i + 1;
    EXPECT_EQ(child.className, expected.className) << "class \"" << Utf8(child.className) << "\"";
    EXPECT_EQ(child.text, expected.text) << "text \"" << Utf8(child.text) << "\"";
    EXPECT_TRUE(child.visible) << "the control is hidden";
    // Tab walks the first six; the two added in the free space are pressed by their letters.
    EXPECT_EQ((child.style & WS_TABSTOP) != 0, expected.number <= BUTTONEXIT)
        << "tab stop (style " << std::hex << child.style << ")";
    EXPECT_TRUE(ControlWindow(expected.number).IsEnabled()) << "the control is disabled";
  }
}

TEST_F(MainWindowLayout, ControlsStandWhereTheTablePutsThem) {
  const BaseUnits units = ReadBaseUnits();
  ASSERT_GT(units.x, 0);
  ASSERT_GT(units.y, 0);
  // The scale must reproduce the controls it was read from.
  ASSERT_NEAR(Width(ControlRect(PATHIN)), units.Across(kScaleControlWidth), kPixelTolerance);
  ASSERT_NEAR(Height(ControlRect(BUTTONCONVERT)), units.Down(kScaleControlHeight), kPixelTolerance);

  RECT client{};
  GetClientRect(MainWindow().handle(), &client);
  EXPECT_NEAR(Width(client), units.Across(kClientWidth), kPixelTolerance)
      << "client width for " << kClientWidth << " dialog units, base units " << units.x << "x" << units.y;
  EXPECT_NEAR(Height(client), units.Down(kClientHeight), kPixelTolerance)
      << "client height for " << kClientHeight << " dialog units, base units " << units.x << "x" << units.y;

  for (const ExpectedControl& expected : kExpectedControls) {
    SCOPED_TRACE("control " + std::to_string(expected.number) + ", base units " + std::to_string(units.x) + "x" +
                 std::to_string(units.y));
    const RECT rect = ControlRect(expected.number);
    EXPECT_NEAR(rect.left, units.Across(expected.x), kPixelTolerance) << "left edge for x " << expected.x;
    EXPECT_NEAR(rect.top, units.Down(expected.y), kPixelTolerance) << "top edge for y " << expected.y;
    if (expected.width != kDefaultSize) {
      EXPECT_NEAR(Width(rect), units.Across(expected.width), kPixelTolerance) << "width for " << expected.width;
    }
    EXPECT_NEAR(Height(rect), units.Down(expected.height), kPixelTolerance) << "height for " << expected.height;
  }
}

TEST_F(MainWindowLayout, DefaultWidthsFitTheCaptionsAndStayClearOfTheirNeighbours) {
  const BaseUnits units = ReadBaseUnits();
  const DialogFont font;
  for (const int number : {BUTTONLOOKUPPATHOUT, BUTTONEXIT}) {
    const RECT rect = ControlRect(number);
    const std::wstring caption = ControlText(number);
    // The caption and the button's two edges, which take a few pixels on each side.
    EXPECT_GE(Width(rect), font.TextWidth(caption) + 4)
        << "button " << number << " \"" << Utf8(caption) << "\" is " << Width(rect) << " pixels wide";
  }
  EXPECT_LT(ControlRect(BUTTONLOOKUPPATHOUT).right, ControlRect(PATHOUT).left)
      << "the output lookup button runs into its entry";
  EXPECT_LE(ControlRect(BUTTONLOOKUPPATHOUT).right, units.Across(111));
  RECT client{};
  GetClientRect(MainWindow().handle(), &client);
  EXPECT_LE(ControlRect(BUTTONEXIT).right, client.right) << "the Exit button runs out of the window";
  EXPECT_LE(ControlRect(BUTTONEXIT).bottom, client.bottom) << "the Exit button runs out of the window";
}

TEST_F(MainWindowLayout, FixedFrameWithCaptionSystemMenuAndMinimizeButtonOnly) {
  const LONG_PTR style = MainWindow().Style();
  struct StyleBit {
    LONG_PTR bit;
    const char* name;
    bool present;
  };
  constexpr StyleBit kBits[] = {
      {WS_CAPTION, "WS_CAPTION", true},         {WS_SYSMENU, "WS_SYSMENU", true},
      {WS_MINIMIZEBOX, "WS_MINIMIZEBOX", true}, {WS_MAXIMIZEBOX, "WS_MAXIMIZEBOX", false},
      {WS_THICKFRAME, "WS_THICKFRAME", false},  {WS_VSCROLL, "WS_VSCROLL", false},
      {WS_HSCROLL, "WS_HSCROLL", false},        {WS_CHILD, "WS_CHILD", false},
  };
  for (const StyleBit& bit : kBits) {
    EXPECT_EQ((style & bit.bit) == bit.bit, bit.present)
        << bit.name << " should be " << (bit.present ? "present" : "absent") << " in style 0x" << std::hex << style;
  }
  EXPECT_FALSE(MainWindow().IsMinimized());
  EXPECT_FALSE(MainWindow().IsMaximized());
  EXPECT_EQ(GetMenu(MainWindow().handle()), nullptr) << "the window has a menu bar";
}

TEST_F(MainWindowLayout, CentredOnTheWorkArea) {
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  const RECT window = MainWindow().ScreenRect();
  EXPECT_NEAR(window.left - work.left, work.right - window.right, kCentringTolerance)
      << "window from x " << window.left << " to " << window.right << " in a work area from " << work.left << " to "
      << work.right;
  EXPECT_NEAR(window.top - work.top, work.bottom - window.bottom, kCentringTolerance)
      << "window from y " << window.top << " to " << window.bottom << " in a work area from " << work.top << " to "
      << work.bottom;
}

}  // namespace
}  // namespace e2e
