// The Windows Installer package as an office meets it: installed with msiexec into a Wine
// prefix of the test's own (check_installer.sh makes it afresh and names the packages),
// started, upgraded, refused over a newer version and removed; the settings stay throughout.
#include <windows.h>
// After windows.h, which they need.
#include <msi.h>
#include <shlobj.h>

#include <cstdlib>
#include <utility>

#include "tests/driver/driver_error.h"
#include "tests/driver/file_dialogs.h"
#include "tests/driver/utf8_text.h"
#include "tests/e2e/conversion_fixture.h"
#include "tests/wine/test_paths.h"

namespace e2e {
namespace {

// An installation takes seconds; on a loaded machine much longer.
constexpr driver::Timeout kInstallTimeout{120'000};

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}
std::wstring PerUserDirectory() { return Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Vexilate"; }
std::wstring AllUsersDirectory() { return Folder(CSIDL_PROGRAM_FILES) + L"\\Vexilate"; }
std::wstring UserSettingsDirectory() { return Folder(CSIDL_APPDATA) + L"\\Vexilate"; }
std::wstring ShortcutFile(int csidl) { return Folder(csidl) + L"\\Vexilate.lnk"; }

bool IsProgramIcon(const std::wstring& path) {
  const rt::Text icon = vxtest::WinePathOf(PROGRAM_ICON);
  return driver::ReadTextFile(path) == driver::ReadTextFile(std::wstring(icon.begin(), icon.end()));
}

struct Shortcut {
  std::wstring target, workingDirectory, description, icon;
};

std::optional<Shortcut> ReadShortcut(const std::wstring& path) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::optional<Shortcut> shortcut;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    wchar_t target[MAX_PATH] = L"", directory[MAX_PATH] = L"", description[INFOTIPSIZE] = L"", icon[MAX_PATH] = L"";
    int index = 0;
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetWorkingDirectory(directory, MAX_PATH);
    link->GetDescription(description, INFOTIPSIZE);
    link->GetIconLocation(icon, MAX_PATH, &index);
    shortcut = Shortcut{target, directory, description, icon};
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return shortcut;
}

struct Product {
  std::wstring version, publisher, icon, location;
};

// The installed products called Vexilate. By name: Wine loses the registration of the upgrade
// code in an upgrade.
std::vector<Product> InstalledProducts() {
  const auto info = [](const wchar_t* code, const wchar_t* property) {
    wchar_t value[MAX_PATH] = L"";
    DWORD size = MAX_PATH;
    MsiGetProductInfoW(code, property, value, &size);
    return std::wstring(value);
  };
  std::vector<Product> products;
  wchar_t code[39];
  for (DWORD index = 0; MsiEnumProductsW(index, code) == ERROR_SUCCESS; ++index) {
    if (info(code, INSTALLPROPERTY_PRODUCTNAME) != L"Vexilate") continue;
    products.push_back({info(code, INSTALLPROPERTY_VERSIONSTRING), info(code, INSTALLPROPERTY_PUBLISHER),
                        info(code, INSTALLPROPERTY_PRODUCTICON), info(code, INSTALLPROPERTY_INSTALLLOCATION)});
  }
  return products;
}

// The path as Wine's Unix side names it.
std::wstring UnixPath(const std::wstring& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) throw driver::DriverError(L"not under Wine: no Unix name for " + path);
  char* name = unixName(path.c_str());
  const std::wstring unix = driver::FromUtf8(name);
  HeapFree(GetProcessHeap(), 0, name);
  return unix;
}

// Makes the directory read-only even for root, or writable again: chattr, run by Wine as a Unix
// program through the shell, which then leaves the marker; its end is waited for by that.
void MakeReadOnly(const std::wstring& directory, bool readOnly, const std::wstring& marker) {
  DeleteFileW(marker.c_str());
  const std::wstring command = std::wstring(readOnly ? L"chattr +i '" : L"chattr -i '") + UnixPath(directory) +
                               L"' && touch '" + UnixPath(marker) + L"'";
  driver::Process::Launch(L"Z:\\bin\\sh", {L"-c", command}, L"C:\\");
  driver::WaitUntil([&] { return driver::FileExists(marker); },
                    readOnly ? L"the directory read-only" : L"the directory writable again", 0);
}

// Installs and removes the package with msiexec; after each case nothing of it is left. The
// program's conversions have their input and output directories and the stand-in processor.
class InstallerTest : public ConversionTest {
 protected:
  void TearDown() override {
    for (const std::wstring& directory : readOnly_) MakeReadOnly(directory, false, Path(L"chattr-done"));
    if (!installed_.empty()) {
      EXPECT_EQ(Uninstall(), 0u);
    }
    for (const std::wstring& left : {PerUserDirectory(), AllUsersDirectory(), UserSettingsDirectory()}) {
      driver::RemoveTree(left);
    }
  }

  // The package of this build, and one of a newer version made from a copy of its executable
  // that carries that version.
  static std::wstring Package() { return Variable(L"VEXILATE_INSTALLER"); }
  static std::wstring NewerProgram() { return Variable(L"VEXILATE_NEWER_PROGRAM"); }
  static std::wstring NewerPackage() { return Variable(L"VEXILATE_NEWER_INSTALLER"); }

  // msiexec with these arguments, not waited for.
  static driver::Process Msiexec(const std::vector<std::wstring>& arguments) {
    const std::wstring system = Folder(CSIDL_SYSTEM);
    return driver::Process::Launch(system + L"\\msiexec.exe", arguments, system);
  }
  // Silent, with properties such as "ALLUSERS=1"; the exit code.
  DWORD Install(const std::wstring& package, std::vector<std::wstring> properties = {}) {
    properties.insert(properties.begin(), {package, L"/qn"});
    const DWORD code = Run(L"/i", properties);
    if (code == ERROR_SUCCESS) installed_ = properties;
    return code;
  }
  // The package last installed, with the same properties.
  DWORD Uninstall() { return Run(L"/x", std::exchange(installed_, {})); }

  // Where Windows Installer put the product, without a trailing backslash.
  static std::wstring InstallDirectory() {
    const std::vector<Product> products = InstalledProducts();
    if (products.size() != 1) ADD_FAILURE() << products.size() << " products called Vexilate, not one";
    std::wstring location = products.empty() ? L"" : products[0].location;
    if (location.ends_with(L'\\')) location.pop_back();
    return location;
  }
  static std::wstring InstalledProgram() { return InstallDirectory() + L"\\vexilate.exe"; }
  // Read-only until the case ends.
  void MakeReadOnlyForTheCase(const std::wstring& directory) {
    readOnly_.push_back(directory);
    MakeReadOnly(directory, true, Path(L"chattr-done"));
  }

 private:
  static std::wstring Variable(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value != nullptr ? value : L"";
  }
  static DWORD Run(const wchar_t* verb, std::vector<std::wstring> arguments) {
    arguments.insert(arguments.begin(), verb);
    return Msiexec(arguments).WaitForExit(kInstallTimeout);
  }

  std::vector<std::wstring> installed_;  // package, /qn, properties; empty when nothing is
  std::vector<std::wstring> readOnly_;
};

TEST_F(InstallerTest, InstallsForTheUserWithShortcutsAndAnEntry) {
  ASSERT_EQ(Install(Package()), 0u);
  const std::wstring directory = InstallDirectory();
  EXPECT_TRUE(driver::SamePath(directory, PerUserDirectory())) << driver::ToUtf8(directory);
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
    EXPECT_TRUE(IsProgramIcon(shortcut->icon)) << "icon " << driver::ToUtf8(shortcut->icon);
  }
  const Product product = InstalledProducts().at(0);
  EXPECT_EQ(product.version, PACKAGE_VERSION);
  EXPECT_EQ(product.publisher, L"Vexilate");
  EXPECT_TRUE(IsProgramIcon(product.icon)) << "icon " << driver::ToUtf8(product.icon);
}

TEST_F(InstallerTest, UpgradesInPlaceAndRemovesAllButTheSettings) {
  ASSERT_EQ(Install(Package()), 0u);
  // The settings the program writes beside itself and the user's own.
  const std::string settings = "[Paths]\r\nPathIn=C:\\Входящие\\\r\n";
  const std::vector<std::wstring> settingsFiles{InstallDirectory() + L"\\Vexilate.INI",
                                                UserSettingsDirectory() + L"\\Vexilate.INI"};
  driver::MakeDirectories(UserSettingsDirectory());
  for (const std::wstring& file : settingsFiles) driver::WriteTextFile(file, settings);
  const auto expectSettingsKept = [&](const char* after) {
    for (const std::wstring& file : settingsFiles) {
      EXPECT_EQ(driver::ReadTextFile(file), settings) << driver::ToUtf8(file) << " after " << after;
    }
  };

  ASSERT_EQ(Install(NewerPackage()), 0u);
  const std::vector<Product> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u) << "the newer version should replace the older";
  EXPECT_EQ(products[0].version, NEWER_PACKAGE_VERSION);
  EXPECT_TRUE(driver::SamePath(InstallDirectory(), PerUserDirectory()));
  const std::wstring program = InstalledProgram();
  EXPECT_TRUE(driver::FileExists(program));
  expectSettingsKept("the upgrade");

  const auto registered = [] {
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Vexilate", L"SendToShortcut", RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
  };
  EXPECT_TRUE(registered()) << "the shortcuts are registered";
  ASSERT_EQ(Uninstall(), 0u);
  EXPECT_TRUE(InstalledProducts().empty());
  for (const std::wstring& file : {program, ShortcutFile(CSIDL_PROGRAMS), ShortcutFile(CSIDL_SENDTO)}) {
    EXPECT_FALSE(driver::FileExists(file)) << driver::ToUtf8(file) << " is left";
  }
  EXPECT_FALSE(registered()) << "the shortcuts' registration is left";
  expectSettingsKept("removal");
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

TEST_F(InstallerTest, InstallsForEveryoneIntoProgramFiles) {
  ASSERT_EQ(Install(Package(), {L"ALLUSERS=1"}), 0u);
  EXPECT_TRUE(driver::SamePath(InstallDirectory(), AllUsersDirectory())) << driver::ToUtf8(InstallDirectory());
  EXPECT_TRUE(driver::FileExists(InstalledProgram()));
  ASSERT_EQ(Uninstall(), 0u);
  EXPECT_FALSE(driver::FileExists(AllUsersDirectory())) << "the program's directory is left";
}

// An installation for the user and one for everyone are not mixed: the second is refused, saying
// what to do, and the first stays. No account gets a Send To entry from one for everyone.
TEST_F(InstallerTest, RefusesToSwitchBetweenForTheUserAndForEveryone) {
  const struct {
    std::vector<std::wstring> first, second;
    std::wstring directory, told;
  } cases[] = {
      {{}, {L"/i", Package(), L"ALLUSERS=1"}, PerUserDirectory(), L"для этого пользователя. Чтобы установить её"},
      {{L"ALLUSERS=1"}, {L"/i", Package()}, AllUsersDirectory(), L"для всех пользователей: устанавливать её себе не"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Install(Package(), c.first), 0u);
    driver::Process msiexec = Msiexec(c.second);  // with its own window, as after a double-click
    const driver::Window message = msiexec.WaitForWindow(
        [](const driver::Window& window) { return window.ClassName() == driver::kDialogClass; }, L"a message");
    std::wstring text;
    for (const driver::ChildInfo& child : message.Children()) text += child.text + L"\n";
    EXPECT_NE(text.find(c.told), std::wstring::npos) << driver::ToUtf8(text);
    message.Child(IDOK).Click();
    EXPECT_EQ(msiexec.WaitForExit(kInstallTimeout), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    EXPECT_TRUE(driver::SamePath(InstallDirectory(), c.directory)) << "the first installation stays";
    EXPECT_NE(driver::FileExists(ShortcutFile(CSIDL_SENDTO)), !c.first.empty()) << "Send To for the user only";
    ASSERT_EQ(Uninstall(), 0u);
  }
}

// A newer package puts its own executable in place, for the user and for everyone.
TEST_F(InstallerTest, UpgradeInstallsTheNewerExecutable) {
  for (const std::vector<std::wstring>& properties : {std::vector<std::wstring>{}, {L"ALLUSERS=1"}}) {
    ASSERT_EQ(Install(Package(), properties), 0u);
    ASSERT_EQ(Install(NewerPackage(), properties), 0u);
    EXPECT_TRUE(driver::ReadTextFile(InstalledProgram()) == driver::ReadTextFile(NewerProgram()))
        << "not the newer executable";
    ASSERT_EQ(Uninstall(), 0u);
  }
}

// Send To, a shortcut with arguments or a script: files are converted as if dropped on the window,
// a folder brings the XML files directly in it.
TEST_F(InstallerTest, ConvertsFilesAndFoldersGivenOnTheCommandLine) {
  ASSERT_EQ(Install(Package()), 0u);
  RunFrom(InstallDirectory());
  WritePaths(InputDirectory(), OutputDirectory());
  const std::wstring first = DocumentName(L"000001", L"00001", L"00000"),
                     second = DocumentName(L"000002", L"00002", L"00000");
  const std::wstring folder = Path(L"Папка с файлами");
  for (const std::wstring& name : {first, second}) {
    CreateInputFile(InputDirectory(), name);
    CreateInputFile(folder, name);
  }
  driver::WriteTextFile(folder + L"\\notes.txt", "not a document");
  driver::MakeDirectories(folder + L"\\inner.XML");
  const std::vector<std::wstring> cases[] = {{InputDirectory() + L"\\" + first, InputDirectory() + L"\\" + second},
                                             {folder}};
  for (const auto& arguments : cases) {
    Start({}, {}, arguments);
    const BatchReport report = ReadReport();
    ASSERT_EQ(report.rows.size(), 3u) << driver::ToUtf8(arguments.front());
    for (const std::size_t row : {1u, 2u}) {
      EXPECT_EQ(Utf8(report.rows[row][0] + L" " + report.rows[row][2]),
                Utf8((row == 1 ? first : second) + L" Сконвертирован"));
    }
    EXPECT_EQ(Exit(), 0u);
  }
}

// Installed where its user cannot write, the program keeps his choice in a file of his own: in
// a read-only directory, and beside an administrator's read-only defaults, which it starts from.
TEST_F(InstallerTest, KeepsTheChoiceInTheUsersOwnFileWhereItCannotWrite) {
  ASSERT_EQ(Install(Package()), 0u);
  RunFrom(InstallDirectory());
  const std::wstring userFile = UserSettingsDirectory() + L"\\Vexilate.INI";
  const std::string defaults = "[Paths]\r\nPathIn=" + Utf8(InputDirectory()) + "\\\r\n";
  for (const bool withDefaults : {false, true}) {
    if (withDefaults) {
      driver::RemoveTree(UserSettingsDirectory());
      driver::WriteTextFile(SettingsFile(), defaults);
      MakeReadOnlyForTheCase(SettingsFile());
    } else {
      MakeReadOnlyForTheCase(InstallDirectory());
    }
    Start();
    LookUp(BUTTONLOOKUPPATHOUT, Path(L"OUT"));
    driver::WaitUntil([&] { return driver::ReadTextFile(userFile).find("PathOut=") != std::string::npos; },
                      L"the choice in the user's own settings file", Program().Id());
    EXPECT_EQ(Exit(), 0u) << "no message about the settings either";
    Start();
    EXPECT_EQ(ControlText(PATHOUT), OutputDirectory()) << "the choice is back after a restart";
    EXPECT_EQ(ControlText(PATHIN), withDefaults ? InputDirectory() + L"\\" : L"") << "and the defaults with it";
    EXPECT_EQ(Exit(), 0u);
    EXPECT_EQ(driver::ReadTextFile(SettingsFile()), withDefaults ? defaults : "")
        << "nothing written beside the program";
    if (!withDefaults) MakeReadOnly(InstallDirectory(), false, Path(L"chattr-done"));
  }
}

// Where nothing can be written, the user hears of it once, with the file and the system's reason.
TEST_F(InstallerTest, TellsOnceThatTheSettingsCannotBeSaved) {
  ASSERT_EQ(Install(Package()), 0u);
  RunFrom(InstallDirectory());
  driver::MakeDirectories(UserSettingsDirectory());
  for (const std::wstring& directory : {InstallDirectory(), UserSettingsDirectory()}) MakeReadOnlyForTheCase(directory);
  Start();
  LookUp(BUTTONLOOKUPPATHOUT, Path(L"OUT"));
  const driver::MessageDialog message = driver::WaitForMessageDialog(Program().Id(), kWarningCaption);
  const std::wstring told =
      L"Не удалось сохранить настройки в файле " + UserSettingsDirectory() + L"\\Vexilate.INI\r\n";
  EXPECT_EQ(Utf8(message.text.substr(0, told.size())), Utf8(told));
  EXPECT_GT(message.text.size(), told.size()) << "the system's reason on the second line";
  driver::PressMessageButton(message, 1);
  LookUp(BUTTONLOOKUPPATHIN, InputDirectory());
  ExpectNoMessage();
  EXPECT_EQ(Exit(), 0u);
}

}  // namespace
}  // namespace e2e
