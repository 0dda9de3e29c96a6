// What the main-window tests share: the settings file as the platform writes it (bytes in
// the ANSI code page), waits on what the window shows, and the screen's pixels.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/program_fixture.h"

namespace e2e {

// Text in a code page's bytes, as the settings file holds it; '?' for what it cannot carry.
std::string AnsiBytes(const std::wstring& text, UINT codePage = CP_ACP);
std::wstring FromAnsi(const std::string& bytes, UINT codePage = CP_ACP);
// Bytes as text for a failure message: printable ASCII kept, the rest as \r, \n or \xNN.
std::string Printable(const std::string& bytes);
std::string Utf8(const std::wstring& text);

// The settings file the program writes for the first key it stores: "[Paths]" and one line.
std::string PathsSection(const std::wstring& key, const std::wstring& value);
std::string KeyLine(const std::wstring& key, const std::wstring& value);

// The pixels of a rectangle of the screen, row by row, as COLORREF values.
struct ScreenPixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;

  COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  int Count(COLORREF colour) const;
};
ScreenPixels CaptureScreen(const RECT& rect);

// A parameterised case's name for GoogleTest: the `name` member of the parameter.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& parameter) {
  return parameter.param.name;
}

class MainWindowTest : public ProgramTest {
 protected:
  // Waits until the control shows exactly this text; a failure names what it shows instead.
  void ExpectShows(int control, const std::wstring& text);
  // The settings file holds exactly these bytes (nothing: there is no file).
  void ExpectSettings(const std::optional<std::string>& bytes) const;
  // The program still runs and shows its main window and nothing else.
  void ExpectOnlyMainWindow();
  // Exit, which must end the program with code 0, then start it again in the same app directory.
  void Restart(const std::wstring& currentDirectory = {});
  // Presses a lookup button and waits for its directory dialog.
  driver::Window OpenLookup(int button);
  // The directory dialog shows this directory as its current one.
  void ExpectDialogShows(const driver::Window& dialog, const std::wstring& directory);
};

}  // namespace e2e
