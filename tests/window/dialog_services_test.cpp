// The file, directory and message dialogs on the real platform. The dialogs are modal, so
// a second thread of the test operates them the way a person would while the first waits.
#include "runtime/window/dialog_services.h"

#include <gtest/gtest.h>

#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "runtime/system/win32_api.h"
#include "tests/driver/file_dialogs.h"
#include "tests/driver/message_dialog.h"
#include "tests/driver/test_files.h"

namespace rt {
namespace {

constexpr LONG kButton = 1;
constexpr LONG kEntry = 2;
constexpr LONG kSentinel = 3;

constexpr ControlDefinition kControls[] = {
    {kButton, ControlKind::Button, "?BUTTON", u"Кнопка", 4, 4, 60, 14, std::nullopt},
    {kEntry, ControlKind::Entry, "?ENTRY", u"s255", 70, 4, 100, 14, std::nullopt},
    {kSentinel, ControlKind::Button, "?SENTINEL", u"Метка", 4, 24, 60, 14, std::nullopt},
};
constexpr WindowDefinition kDefinition{
    u"Владелец диалогов", 180, 44, {u"MS Sans Serif", 8, 700}, u"", true, kControls,
};

constexpr char16_t kDirectoryTitle[] = u"Выбор директории входящих документов";
constexpr char16_t kFileTitle[] = u"Выберите файл для конвертации";

std::wstring W(TextView text) { return std::wstring(text.begin(), text.end()); }
Text T(const std::wstring& text) { return Text(text.begin(), text.end()); }

HWND ControlWindow(LONG number) { return GetDlgItem(reinterpret_cast<HWND>(WindowHandle()), kControlIdBase + number); }

// Runs `modal` on this thread while `drive` operates its dialog from another. When driving
// fails, every dialog of the process is cancelled so that `modal` returns and the test ends.
template <typename Result>
Result WhileDriving(const std::function<void()>& drive, const std::function<Result()>& modal) {
  std::string failure;
  std::thread driverThread([&] {
    try {
      drive();
    } catch (const std::exception& error) {
      failure = error.what();
      for (int round = 0; round < 50; ++round) {
        for (const auto& window : driver::TopLevelWindows(GetCurrentProcessId())) {
          if (window.IsVisible() && window.ClassName() == driver::kDialogClass &&
              window.handle() != reinterpret_cast<HWND>(WindowHandle())) {
            PostMessageW(window.handle(), WM_COMMAND, IDCANCEL, 0);
          }
        }
        Sleep(100);
      }
    }
  });
  const Result result = modal();
  driverThread.join();
  EXPECT_EQ(failure, "") << "operating the dialog failed";
  return result;
}

class DialogServices : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_ / L"Входящие.2026" / L"Глубже");
    std::filesystem::create_directories(root_ / L"elsewhere");
    startDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(root_ / L"elsewhere");

    window_ = OpenWindow(kDefinition, {entry_.field()});
    ASSERT_NE(window_, nullptr);
    DisplayWindow(window_);
    Settle();
  }

  void TearDown() override {
    CloseWindow(window_);
    std::filesystem::current_path(startDirectory_);  // before the directory goes
  }

  // Takes every pending event; returns those before the sentinel.
  std::vector<LONG> Settle() {
    PostMessageW(reinterpret_cast<HWND>(WindowHandle()), WM_COMMAND, MAKEWPARAM(kControlIdBase + kSentinel, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ControlWindow(kSentinel)));
    std::vector<LONG> events;
    while (NextEvent(0) && !(EVENT() == EVENT_Accepted && FIELD() == kSentinel)) events.push_back(EVENT());
    return events;
  }

  std::wstring Dir(const std::filesystem::path& relative) const { return (root_ / relative).wstring() + L"\\"; }

  driver::TempDirectory place_;
  const std::filesystem::path root_{place_.path()};
  std::filesystem::path startDirectory_;
  Window* window_ = nullptr;
  STRING<1000> entry_;
  const DWORD pid_ = GetCurrentProcessId();
};

bool SameDirectory(TextView answer, const std::wstring& expected) {
  return driver::SamePath(W(answer), expected) && !answer.empty() && answer.back() == u'\\';
}

TEST_F(DialogServices, DirectoryDialogGivesTheDriveRootWithItsBackslash) {
  STRING<1000> target;
  const LONG result = WhileDriving<LONG>(
      [&] {
        const auto dialog = driver::WaitForClassicFileDialog(pid_, W(kDirectoryTitle));
        driver::ChooseDirectoryInClassicDialog(dialog, L"C:\\");
      },
      [&] { return PickPath(kDirectoryTitle, target.field(), u"ALL|*.*", kPickDirectory); });
  EXPECT_NE(result, 0);
  EXPECT_TRUE(SameDirectory(CLIP(target), L"C:\\")) << "chose the drive root";
}

TEST_F(DialogServices, DirectoryDialogGivesADeeperDirectoryWithItsBackslash) {
  STRING<1000> target;
  const std::wstring deeper = Dir(L"Входящие.2026\\Глубже");
  const LONG result = WhileDriving<LONG>(
      [&] {
        const auto dialog = driver::WaitForClassicFileDialog(pid_, W(kDirectoryTitle));
        driver::ChooseDirectoryInClassicDialog(dialog, deeper);
      },
      [&] { return PickPath(kDirectoryTitle, target.field(), u"ALL|*.*", kPickDirectory); });
  EXPECT_NE(result, 0);
  EXPECT_TRUE(SameDirectory(CLIP(target), deeper)) << "chose a deeper directory";
  EXPECT_FALSE(std::filesystem::exists(root_ / L"Входящие.2026" / L"Глубже" / L"XXYZZY.NIG"))
      << "the dummy name must never be created";
}

TEST_F(DialogServices, DirectoryDialogStartsInTheTargetOrTheCurrentDirectory) {
  const struct {
    std::wstring target;
    std::wstring shown;
  } cases[] = {
      {L"", Dir(L"elsewhere")},  // blank: the current directory
      {Dir(L"Входящие.2026"), Dir(L"Входящие.2026")},
  };
  for (const auto& c : cases) {
    STRING<1000> target(T(c.target));
    bool shown = false;
    WhileDriving<LONG>(
        [&] {
          const auto dialog = driver::WaitForClassicFileDialog(pid_, W(kDirectoryTitle));
          driver::WaitUntil([&] { return driver::ClassicDialogShows(dialog, c.shown); }, L"the starting directory",
                            pid_);
          shown = true;
          driver::CancelDialog(dialog);
        },
        [&] { return PickPath(kDirectoryTitle, target.field(), u"ALL|*.*", kPickDirectory); });
    EXPECT_TRUE(shown);
  }
}

TEST_F(DialogServices, CancelKeepsTheTarget) {
  const struct {
    LONG flags;
    TextView filter;
  } cases[] = {{kPickDirectory, u"ALL|*.*"}, {kPickExplorer, u"*.XML"}};
  for (const auto& c : cases) {
    STRING<1000> target(u"C:\\OLD\\VALUE\\");
    const LONG result = WhileDriving<LONG>(
        [&] {
          const auto dialog = c.flags == kPickDirectory ? driver::WaitForClassicFileDialog(pid_)
                                                        : driver::WaitForExplorerFileDialog(pid_);
          driver::CancelDialog(dialog);
        },
        [&] { return PickPath(u"Отмена", target.field(), c.filter, c.flags); });
    EXPECT_EQ(result, 0) << "flags " << c.flags;
    EXPECT_EQ(CLIP(target), u"C:\\OLD\\VALUE\\") << "flags " << c.flags;
  }
}

TEST_F(DialogServices, FileDialogGivesTheChosenFilesFullPath) {
  const std::filesystem::path file = root_ / L"Входящие.2026" / L"ПРОБА 01.XML";
  {
    std::FILE* f = _wfopen(file.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  STRING<1000> target;
  std::wstring title;
  const LONG result = WhileDriving<LONG>(
      [&] {
        const auto dialog = driver::WaitForExplorerFileDialog(pid_);
        title = dialog.Text();
        driver::ChooseFileInExplorerDialog(dialog, file.wstring());
      },
      [&] { return PickPath(kFileTitle, target.field(), u"*.XML", kPickExplorer); });
  EXPECT_NE(result, 0);
  EXPECT_TRUE(driver::SamePath(W(CLIP(target)), file.wstring()));
  EXPECT_EQ(title, W(kFileTitle));
}

// A choice longer than the target holds is not a cancel: the caller can tell the user why.
TEST_F(DialogServices, FileDialogTellsAChoiceTooLongForTheTarget) {
  const std::filesystem::path file = root_ / L"Входящие.2026" / L"ПРОБА 01.XML";
  {
    std::FILE* f = _wfopen(file.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  STRING<20> target(u"прежний");
  const auto choose = [&](bool cancel) {
    return WhileDriving<LONG>(
        [&] {
          const auto dialog = driver::WaitForExplorerFileDialog(pid_);
          cancel ? driver::CancelDialog(dialog) : driver::ChooseFileInExplorerDialog(dialog, file.wstring());
        },
        [&] { return PickPath(kFileTitle, target.field(), u"*.XML", kPickExplorer); });
  };
  EXPECT_EQ(choose(false), 0);
  EXPECT_EQ(ERRORCODE(), kNameTooLong);
  EXPECT_EQ(CLIP(target), u"прежний");
  EXPECT_EQ(choose(true), 0);
  EXPECT_EQ(ERRORCODE(), 0) << "a cancel after it";
}

TEST_F(DialogServices, FileDialogOffersThePreviousChoice) {
  const std::filesystem::path file = root_ / L"Входящие.2026" / L"a.XML";
  {
    std::FILE* f = _wfopen(file.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  STRING<1000> target(T(file.wstring()));
  std::wstring offered;
  WhileDriving<LONG>(
      [&] {
        const auto dialog = driver::WaitForExplorerFileDialog(pid_);
        offered = driver::ExplorerFileName(dialog);
        driver::CancelDialog(dialog);
      },
      [&] { return PickPath(kFileTitle, target.field(), u"*.XML", kPickExplorer); });
  EXPECT_NE(offered.find(L"a.XML"), std::wstring::npos) << "the name box did not offer the previous file";
}

TEST_F(DialogServices, MessageShowsTextCaptionWarningIconAndOneOkButton) {
  SelectControl(kEntry, 0, 0);
  driver::MessageDialog seen;
  bool topmost = false;
  const LONG result = WhileDriving<LONG>(
      [&] {
        seen = driver::WaitForMessageDialog(pid_, L"Внимание!!!");
        topmost = (seen.window.ExStyle() & WS_EX_TOPMOST) != 0;
        driver::PressMessageButton(seen, 1);
      },
      [&] { return ShowMessage(u"Первая строка|Вторая строка", u"Внимание!!!", kWarningIcon, u"", 0, 1); });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(seen.text, L"Первая строка\r\nВторая строка");
  EXPECT_EQ(seen.icon, LoadIconW(nullptr, IDI_EXCLAMATION)) << "not the warning icon";
  ASSERT_EQ(seen.buttons.size(), 1u);
  EXPECT_EQ(seen.buttons[0].caption, L"OK");
  EXPECT_TRUE(seen.buttons[0].isDefault);
  EXPECT_TRUE(topmost) << "a system-modal dialog stays on top";
  EXPECT_EQ(GetFocus(), ControlWindow(kEntry)) << "the focus did not come back";
  EXPECT_EQ(Settle(), std::vector<LONG>{}) << "closing the program's own dialog is no activation event";
}

TEST_F(DialogServices, MessageButtonsAndDefault) {
  const struct {
    TextView buttons;
    LONG defaultButton;
    std::vector<std::wstring> captions;
    LONG press;
    int defaultIndex;
  } cases[] = {
      {u"6", 4, {L"&Yes", L"&No"}, 4, 1},
      {u"65", 0, {L"OK", L"Cancel"}, 64, 0},
      {u"56", 16, {L"&Abort", L"&Retry", L"&Ignore"}, 32, 1},
  };
  for (const auto& c : cases) {
    driver::MessageDialog seen;
    bool topmost = true;
    const LONG result = WhileDriving<LONG>(
        [&] {
          seen = driver::WaitForMessageDialog(pid_, L"Вопрос");
          topmost = (seen.window.ExStyle() & WS_EX_TOPMOST) != 0;
          driver::PressMessageButton(seen, c.press);
        },
        [&] { return ShowMessage(u"Продолжить?", u"Вопрос", u"", c.buttons, c.defaultButton, 0); });
    EXPECT_EQ(result, c.press);
    std::vector<std::wstring> captions;
    for (const auto& b : seen.buttons) captions.push_back(b.caption);
    EXPECT_EQ(captions, c.captions);
    ASSERT_EQ(seen.buttons.size(), c.captions.size());
    EXPECT_TRUE(seen.buttons[static_cast<std::size_t>(c.defaultIndex)].isDefault);
    EXPECT_EQ(seen.icon, nullptr) << "an empty icon text gives no icon";
    EXPECT_FALSE(topmost) << "not asked to be system-modal";
  }
}

TEST_F(DialogServices, LongMessageWrapsWithin200DialogUnits) {
  Text text;
  for (int i = 0; i < 40; ++i) text += u"слово ";
  RECT limit{0, 0, 200, 0};
  driver::MessageDialog seen;
  RECT textRect{};
  WhileDriving<LONG>(
      [&] {
        seen = driver::WaitForMessageDialog(pid_, L"Длинное");
        MapDialogRect(seen.window.handle(), &limit);
        textRect = seen.window.Child(driver::kMessageTextId).RectInParent();
        driver::PressMessageButton(seen, 1);
      },
      [&] { return ShowMessage(text, u"Длинное", kWarningIcon, u"", 0, 1); });
  EXPECT_LE(textRect.right - textRect.left, limit.right);
  EXPECT_GT(textRect.bottom - textRect.top, 3 * 8) << "240 characters should take several lines";
}

}  // namespace
}  // namespace rt
