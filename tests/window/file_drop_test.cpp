// Files dragged from the test's process onto a window of the window services in another
// process: each drop arrives as one event, with the control under the drop point and the
// paths in the order dragged.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/dialog_services.h"
#include "runtime/win32_api.h"
#include "tests/driver/file_dialogs.h"
#include "tests/driver/file_drag.h"
#include "tests/driver/process_control.h"
#include "tests/driver/test_files.h"
#include "tests/driver/utf8_text.h"

namespace {

constexpr int kPathIn = 2;  // the target program's first entry

struct Drop {
  const char* where;
  POINT point;
  HWND under;  // the window the point must be over
  std::vector<std::wstring> files;
  int field;
};

std::string Line(const Drop& drop) {
  std::wstring line = std::to_wstring(drop.field);
  for (const auto& file : drop.files) line += L"|" + file;
  return driver::ToUtf8(line) + "\n";
}

TEST(FileDrop, EachDropArrivesWithTheControlUnderItAndItsPathsInOrder) {
  const driver::TempDirectory directory;
  const std::wstring record = directory / L"drops.txt";
  driver::Process program =
      driver::Process::Launch(driver::BesideExecutable(L"drop_target_program.exe"), {record}, directory.path());
  const driver::Window window = program.WaitForWindow(driver::kDialogClass, L"Приём файлов");
  const driver::Window entry = window.Child(rt::kControlIdBase + kPathIn);
  const RECT frame = window.ScreenRect();

  const Drop drops[] = {
      {"onto the entry",
       driver::CentreOf(entry),
       entry.handle(),
       {directory / L"входной файл.xml", directory / L"second.xml"},
       kPathIn},
      {"onto the empty area", {frame.left + 16, frame.bottom - 16}, window.handle(), {directory / L"третий.xml"}, 0},
  };
  std::string expected;
  for (const Drop& drop : drops) {
    SCOPED_TRACE(drop.where);
    ASSERT_EQ(WindowFromPoint(drop.point), drop.under) << "the drop point is not where it should be";
    driver::DragFilesOnto(drop.point, drop.files);
    expected += Line(drop);
    const auto lines = std::ranges::count(expected, '\n');
    driver::WaitUntil([&] { return std::ranges::count(driver::ReadTextFile(record), '\n') >= lines; },
                      L"the drop written down", program.Id());
    EXPECT_EQ(driver::ReadTextFile(record), expected);
  }

  window.PostClose();
  EXPECT_EQ(program.WaitForExit(), 0u);
}

}  // namespace
