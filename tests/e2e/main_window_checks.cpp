#include "tests/e2e/main_window_checks.h"

#include <cstdio>
#include <thread>

#include "tests/driver/utf8_text.h"

namespace e2e {
namespace {

// How long a window may take to show what the program put into it.
constexpr driver::Timeout kShowTimeout{3000};
// How long the program is watched for a window it should not open.
constexpr auto kQuietPeriod = std::chrono::milliseconds(400);

}  // namespace

std::string AnsiBytes(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

std::wstring FromAnsi(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
  return text;
}

std::string Printable(const std::string& bytes) {
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
      shown += escaped;
    }
  }
  return shown;
}

std::string Utf8(const std::wstring& text) { return driver::ToUtf8(text); }

std::string KeyLine(const std::wstring& key, const std::wstring& value) {
  return AnsiBytes(key + L"=" + value) + "\r\n";
}

std::string PathsSection(const std::wstring& key, const std::wstring& value) {
  return "[Paths]\r\n" + KeyLine(key, value);
}

int ScreenPixels::Count(COLORREF colour) const {
  int count = 0;
  for (const COLORREF pixel : pixels) count += pixel == colour ? 1 : 0;
  return count;
}

ScreenPixels CaptureScreen(const RECT& rect) {
  ScreenPixels capture;
  capture.width = rect.right - rect.left;
  capture.height = rect.bottom - rect.top;
  if (capture.width <= 0 || capture.height <= 0) return capture;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, capture.width, capture.height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  capture.pixels.resize(static_cast<std::size_t>(capture.width) * static_cast<std::size_t>(capture.height));
  for (std::size_t i = 0; i < capture.pixels.size(); ++i) {
    // A DIB holds blue, green, red from the low byte up; COLORREF the other way round.
    const DWORD pixel = pixels[i];
    capture.pixels[i] = RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return capture;
}

void MainWindowTest::ExpectShows(int control, const std::wstring& text) {
  std::wstring shown;
  try {
    driver::WaitUntil(
        [&] {
          shown = ControlText(control);
          return shown == text;
        },
        L"control " + std::to_wstring(control) + L" to show \"" + text + L"\"", Program().Id(), kShowTimeout);
  } catch (const driver::DriverError&) {
    ADD_FAILURE() << "control " << control << " should show \"" << Utf8(text) << "\" (" << text.size()
                  << " characters) but shows \"" << Utf8(shown) << "\" (" << shown.size() << " characters)";
  }
}

void MainWindowTest::ExpectSettings(const std::optional<std::string>& bytes) const {
  const std::optional<std::string> actual = Settings();
  if (actual == bytes) return;
  ADD_FAILURE() << "the settings file should " << (bytes ? "hold \"" + Printable(*bytes) + "\"" : "not exist")
                << " but " << (actual ? "holds \"" + Printable(*actual) + "\"" : "does not exist");
}

void MainWindowTest::ExpectOnlyMainWindow() {
  std::this_thread::sleep_for(kQuietPeriod);
  ASSERT_TRUE(Program().IsRunning()) << "the program ended";
  EXPECT_TRUE(MainWindow().IsVisible()) << "the main window is no longer visible";
  for (const driver::Window& window : Program().Windows()) {
    if (window.IsVisible() && !(window == MainWindow())) {
      ADD_FAILURE() << "the program shows another window: " << Utf8(driver::DescribeWindow(window));
    }
  }
}

void MainWindowTest::Restart(const std::wstring& currentDirectory) {
  ASSERT_EQ(Exit(), 0u) << "exit code of the program";
  Start(currentDirectory);
}

driver::Window MainWindowTest::OpenLookup(int button) {
  Press(button);
  return driver::WaitForClassicFileDialog(Program().Id(), kLookupTitle);
}

void MainWindowTest::ExpectDialogShows(const driver::Window& dialog, const std::wstring& directory) {
  if (driver::ClassicDialogShows(dialog, directory)) return;
  ADD_FAILURE() << "the lookup dialog should show \"" << Utf8(directory) << "\" but shows \""
                << Utf8(driver::ClassicDialogDirectory(dialog)) << "\"";
}

}  // namespace e2e
