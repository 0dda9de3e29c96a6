// A window of the window services that takes dropped files, as the program's window does,
// and writes down each drop for the test that drags files onto it from another process:
// one line per drop, "<FIELD>|<path>|<path>...", in UTF-8, appended to the file named on its
// command line.
#include <string>

#include "runtime/dialog_services.h"
#include "runtime/file_drop.h"
#include "runtime/win32_api.h"
#include "tests/driver/utf8_text.h"

namespace {

using rt::ControlKind;

constexpr rt::ControlDefinition kControls[] = {
    {1, ControlKind::Button, "?BUTTONLOOKUP", u"Путь к входному  файлу", 4, 10, 103, 14, std::nullopt},
    {2, ControlKind::Entry, "?PATHIN", u"s255", 111, 10, 260, 14, rt::Colour{0, 128, 192}},
    {3, ControlKind::Entry, "?PATHOUT", u"s255", 111, 36, 260, 14, rt::Colour{0, 64, 128}},
};

// Room below the entries: the window's empty area.
constexpr rt::WindowDefinition kDefinition{
    u"Приём файлов", 380, 110, {u"MS Sans Serif", 8, 700}, u"", true, kControls,
};

std::wstring RecordFile() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return {};
  std::wstring file = count > 1 ? arguments[1] : L"";
  LocalFree(arguments);
  return file;
}

// Opened for each line, so the test can read what is there at any time.
void AppendLine(const std::wstring& file, const std::string& line) {
  HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(handle);
}

}  // namespace

int main() {
  rt::InitRuntime();
  const std::wstring record = RecordFile();
  if (record.empty()) return 1;
  rt::STRING<255> pathIn;
  rt::STRING<255> pathOut;
  rt::Window* window = rt::OpenWindow(kDefinition, {pathIn.field(), pathOut.field()});
  if (!window) return 1;
  // Before the window shows: a test that sees it may drag at once.
  if (!rt::AcceptDroppedFiles()) return 2;
  rt::DisplayWindow(window);
  while (rt::NextEvent(0)) {
    if (rt::EVENT() != rt::EVENT_Dropped) continue;
    std::wstring line = std::to_wstring(rt::FIELD());
    for (const rt::Text& path : rt::TakeDroppedFiles()) line += L"|" + std::wstring(path.begin(), path.end());
    AppendLine(record, driver::ToUtf8(line + L"\n"));
  }
  rt::CloseWindow(window);
  return 0;
}
