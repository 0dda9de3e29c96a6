// The Windows Installer package: installed for the user or for everyone, started from the
// Start menu, upgraded, refused over a newer version, removed; the settings stay throughout.
#include <shlobj.h>
#include <windows.h>

#include "tests/driver/file_dialogs.h"
#include "tests/driver/test_files.h"
#include "tests/driver/utf8_text.h"
#include "tests/e2e/installer_fixture.h"
#include "tests/e2e/process_current_directory.h"
#include "tests/e2e/program_fixture.h"

namespace e2e {
namespace {

// The settings the program writes beside itself and those of the user's own.
class Settings {
 public:
  Settings(const std::wstring& installDirectory, const std::wstring& appData)
      : beside_(installDirectory + L"\\Vexilate.INI"), perUser_(appData + L"\\Vexilate\\Vexilate.INI") {
    driver::MakeDirectories(appData + L"\\Vexilate");
    driver::WriteTextFile(beside_, kBeside);
    driver::WriteTextFile(perUser_, kPerUser);
  }
  void ExpectKept(const char* after) const {
    EXPECT_EQ(driver::ReadTextFile(beside_), kBeside) << "the settings beside the program after " << after;
    EXPECT_EQ(driver::ReadTextFile(perUser_), kPerUser) << "the user's settings after " << after;
  }

 private:
  static constexpr char kBeside[] = "[Paths]\r\nPathIn=C:\\Входящие\\\r\n";
  static constexpr char kPerUser[] = "[Paths]\r\nPathOut=C:\\Исходящие\\\r\n";
  std::wstring beside_, perUser_;
};

bool UserKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Vexilate", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST_F(InstallerTest, InstallsForTheUserWithShortcutsAndAnEntry) {
  ASSERT_EQ(Install(Package()), 0u);
  const std::wstring directory = InstallDirectory();
  EXPECT_TRUE(driver::SamePath(directory, Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Vexilate"))
      << driver::ToUtf8(directory);
  EXPECT_TRUE(driver::FileExists(InstalledProgram()));
  struct Expected {
    int folder;
    const wchar_t* description;
  };
  for (const Expected& expected : {Expected{CSIDL_PROGRAMS, L"Конвертация файлов из 7 формата в 4"},
                                   Expected{CSIDL_SENDTO, L"Конвертировать выбранные файлы программой Vexilate"}}) {
    const std::optional<Shortcut> shortcut = ReadShortcut(ShortcutFile(expected.folder));
    ASSERT_TRUE(shortcut) << "no shortcut " << driver::ToUtf8(ShortcutFile(expected.folder));
    EXPECT_TRUE(driver::SamePath(shortcut->target, InstalledProgram())) << driver::ToUtf8(shortcut->target);
    EXPECT_TRUE(driver::SamePath(shortcut->workingDirectory, directory)) << driver::ToUtf8(shortcut->workingDirectory);
    EXPECT_EQ(shortcut->description, expected.description) << driver::ToUtf8(shortcut->description);
    EXPECT_TRUE(driver::ReadTextFile(shortcut->icon) == ProgramIcon()) << "icon " << driver::ToUtf8(shortcut->icon);
  }
  const InstalledProduct product = InstalledProducts().at(0);
  EXPECT_EQ(product.version, PACKAGE_VERSION);
  EXPECT_EQ(product.publisher, L"Vexilate");
  EXPECT_TRUE(driver::ReadTextFile(product.icon) == ProgramIcon()) << "icon " << driver::ToUtf8(product.icon);
}

TEST_F(InstallerTest, StartsFromTheStartMenuInItsDirectory) {
  ASSERT_EQ(Install(Package()), 0u);
  // As the shell opens the shortcut: its target in its working directory.
  const std::optional<Shortcut> shortcut = ReadShortcut(ShortcutFile(CSIDL_PROGRAMS));
  ASSERT_TRUE(shortcut);
  driver::Process program = driver::Process::Launch(shortcut->target, {}, shortcut->workingDirectory);
  const driver::Window main = program.WaitForWindow(driver::kDialogClass, kMainTitle);
  EXPECT_TRUE(driver::SamePath(ProcessCurrentDirectory(program.Handle()).value_or(L""), InstallDirectory()))
      << "the program looks for the stylesheet in its current directory";
  main.PostClose();
  EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST_F(InstallerTest, UpgradesInPlaceKeepingTheSettings) {
  ASSERT_EQ(Install(Package()), 0u);
  const std::wstring directory = InstallDirectory();
  const Settings settings(directory, Folder(CSIDL_APPDATA));
  ASSERT_EQ(Install(NewerPackage()), 0u);
  const std::vector<InstalledProduct> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u) << "the newer version should replace the older";
  EXPECT_EQ(products[0].version, NEWER_PACKAGE_VERSION);
  EXPECT_TRUE(driver::SamePath(InstallDirectory(), directory));
  EXPECT_TRUE(driver::FileExists(InstalledProgram()));
  settings.ExpectKept("the upgrade");
}

TEST_F(InstallerTest, RefusesAnOlderVersionInRussian) {
  ASSERT_EQ(Install(NewerPackage()), 0u);
  // With its own window, as after a double-click on the package.
  driver::Process msiexec = Msiexec({L"/i", Package()});
  const driver::Window message = msiexec.WaitForWindow(
      [](const driver::Window& window) { return window.ClassName() == driver::kDialogClass; }, L"a message");
  std::wstring text;
  for (const driver::ChildInfo& child : message.Children()) text += child.text + L"\n";
  EXPECT_NE(text.find(L"Уже установлена более новая версия Vexilate."), std::wstring::npos) << driver::ToUtf8(text);
  message.Child(IDOK).Click();
  EXPECT_EQ(msiexec.WaitForExit(), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  EXPECT_EQ(InstalledProducts().at(0).version, NEWER_PACKAGE_VERSION);
}

TEST_F(InstallerTest, RemovesWhatItInstalledAndKeepsTheSettings) {
  ASSERT_EQ(Install(Package()), 0u);
  const std::wstring program = InstalledProgram();
  const Settings settings(InstallDirectory(), Folder(CSIDL_APPDATA));
  EXPECT_TRUE(UserKeyExists()) << "the shortcuts are registered";
  ASSERT_EQ(Uninstall(), 0u);
  EXPECT_TRUE(InstalledProducts().empty());
  EXPECT_FALSE(UserKeyExists()) << "the shortcuts' registration is left";
  for (const std::wstring& file : {program, ShortcutFile(CSIDL_PROGRAMS), ShortcutFile(CSIDL_SENDTO)}) {
    EXPECT_FALSE(driver::FileExists(file)) << driver::ToUtf8(file) << " is left";
  }
  settings.ExpectKept("removal");
}

TEST_F(InstallerTest, InstallsForEveryoneIntoProgramFiles) {
  ASSERT_EQ(Install(Package(), {L"ALLUSERS=1"}), 0u);
  const std::wstring directory = InstallDirectory();
  EXPECT_TRUE(driver::SamePath(directory, Folder(CSIDL_PROGRAM_FILES) + L"\\Vexilate")) << driver::ToUtf8(directory);
  EXPECT_TRUE(driver::FileExists(InstalledProgram()));
  ASSERT_EQ(Uninstall(), 0u);
  EXPECT_FALSE(driver::FileExists(directory)) << "the program's directory is left";
}

}  // namespace
}  // namespace e2e
