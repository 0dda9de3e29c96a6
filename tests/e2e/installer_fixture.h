// The Windows Installer package as an office meets it: installed with msiexec into a Wine
// prefix of the test's own (check_installer.sh makes it afresh and names the packages), the
// program found where Windows Installer put it, and removed again when each test ends.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/driver/process_control.h"

namespace e2e {

// What Windows Installer tells of an installed product (MsiGetProductInfoW).
struct InstalledProduct {
  std::wstring code, name, version, publisher, icon, location;
};

// What a .lnk file points to (IShellLinkW).
struct Shortcut {
  std::wstring target, workingDirectory, description, icon;
};

class InstallerTest : public ::testing::Test {
 protected:
  // Uninstalls what is still installed and removes what the test or the program left.
  void TearDown() override;

  // The package of this build, and one of a newer version made from the same build.
  static std::wstring Package();
  static std::wstring NewerPackage();
  // msiexec /i with the properties ("ALLUSERS=1"), silent; its exit code.
  DWORD Install(const std::wstring& package, const std::vector<std::wstring>& properties = {});
  // msiexec /x of the last package installed, with the same properties.
  DWORD Uninstall();
  // msiexec started with these arguments, not waited for.
  static driver::Process Msiexec(const std::vector<std::wstring>& arguments);

  // The products called Vexilate that Windows Installer knows.
  static std::vector<InstalledProduct> InstalledProducts();
  // Where the installed product is, without a trailing backslash.
  std::wstring InstallDirectory() const;
  std::wstring InstalledProgram() const { return InstallDirectory() + L"\\vexilate.exe"; }

  static std::wstring Folder(int csidl);
  // The package's shortcut in this folder (CSIDL_PROGRAMS, CSIDL_SENDTO).
  static std::wstring ShortcutFile(int csidl);
  static std::optional<Shortcut> ReadShortcut(const std::wstring& path);
  // The program's icon as the package carries it (res/vexilate.ico).
  static std::string ProgramIcon();

 private:
  std::wstring package_;
  std::vector<std::wstring> properties_;
  bool installed_ = false;
};

}  // namespace e2e
