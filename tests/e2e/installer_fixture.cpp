#include "tests/e2e/installer_fixture.h"

#include <msi.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>

#include "tests/driver/test_files.h"
#include "tests/driver/utf8_text.h"
#include "tests/wine/test_paths.h"

namespace e2e {
namespace {

// An installation takes a few seconds; much longer on a loaded machine.
constexpr driver::Timeout kInstallTimeout{120'000};

std::wstring Variable(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  if (value == nullptr) ADD_FAILURE() << driver::ToUtf8(name) << " should name a package (run through CTest)";
  return value != nullptr ? value : L"";
}

std::wstring ProductInfo(const wchar_t* code, const wchar_t* property) {
  DWORD size = 0;
  if (MsiGetProductInfoW(code, property, nullptr, &size) != ERROR_SUCCESS) return L"";
  std::wstring value(++size, L'\0');
  MsiGetProductInfoW(code, property, value.data(), &size);
  value.resize(size);
  return value;
}

}  // namespace

void InstallerTest::TearDown() {
  const std::wstring directory = installed_ ? InstallDirectory() : L"";
  if (installed_) {
    EXPECT_EQ(Uninstall(), 0u) << "the package should uninstall";
  }
  if (!directory.empty()) driver::RemoveTree(directory);
  driver::RemoveTree(Folder(CSIDL_APPDATA) + L"\\Vexilate");
}

std::wstring InstallerTest::Package() { return Variable(L"VEXILATE_INSTALLER"); }
std::wstring InstallerTest::NewerPackage() { return Variable(L"VEXILATE_NEWER_INSTALLER"); }

driver::Process InstallerTest::Msiexec(const std::vector<std::wstring>& arguments) {
  const std::wstring system = Folder(CSIDL_SYSTEM);
  return driver::Process::Launch(system + L"\\msiexec.exe", arguments, system);
}

DWORD InstallerTest::Install(const std::wstring& package, const std::vector<std::wstring>& properties) {
  std::vector<std::wstring> arguments{L"/i", package};
  arguments.insert(arguments.end(), properties.begin(), properties.end());
  arguments.push_back(L"/qn");
  const DWORD code = Msiexec(arguments).WaitForExit(kInstallTimeout);
  if (code == ERROR_SUCCESS) {
    package_ = package;
    properties_ = properties;
    installed_ = true;
  }
  return code;
}

DWORD InstallerTest::Uninstall() {
  std::vector<std::wstring> arguments{L"/x", package_};
  arguments.insert(arguments.end(), properties_.begin(), properties_.end());
  arguments.push_back(L"/qn");
  installed_ = false;
  return Msiexec(arguments).WaitForExit(kInstallTimeout);
}

std::vector<InstalledProduct> InstallerTest::InstalledProducts() {
  std::vector<InstalledProduct> products;
  wchar_t code[39];
  for (DWORD index = 0; MsiEnumProductsW(index, code) == ERROR_SUCCESS; ++index) {
    InstalledProduct product{code,
                             ProductInfo(code, INSTALLPROPERTY_PRODUCTNAME),
                             ProductInfo(code, INSTALLPROPERTY_VERSIONSTRING),
                             ProductInfo(code, INSTALLPROPERTY_PUBLISHER),
                             ProductInfo(code, INSTALLPROPERTY_PRODUCTICON),
                             ProductInfo(code, INSTALLPROPERTY_INSTALLLOCATION)};
    if (product.name == L"Vexilate") products.push_back(product);
  }
  return products;
}

std::wstring InstallerTest::InstallDirectory() const {
  const std::vector<InstalledProduct> products = InstalledProducts();
  if (products.size() != 1) {
    ADD_FAILURE() << products.size() << " products called Vexilate are installed, not one";
    return L"";
  }
  std::wstring location = products.front().location;
  if (location.ends_with(L'\\')) location.pop_back();
  return location;
}

std::wstring InstallerTest::Folder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path)))
    ADD_FAILURE() << "no folder " << csidl;
  return path;
}

std::wstring InstallerTest::ShortcutFile(int csidl) { return Folder(csidl) + L"\\Vexilate.lnk"; }

std::optional<Shortcut> InstallerTest::ReadShortcut(const std::wstring& path) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::optional<Shortcut> shortcut;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    wchar_t target[MAX_PATH] = L"", directory[MAX_PATH] = L"", description[INFOTIPSIZE] = L"", icon[MAX_PATH] = L"";
    int iconIndex = 0;
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetWorkingDirectory(directory, MAX_PATH);
    link->GetDescription(description, INFOTIPSIZE);
    link->GetIconLocation(icon, MAX_PATH, &iconIndex);
    shortcut = Shortcut{target, directory, description, icon};
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  if (SUCCEEDED(com)) CoUninitialize();
  return shortcut;
}

std::string InstallerTest::ProgramIcon() {
  const rt::Text path = vxtest::WinePathOf(PROGRAM_ICON);
  return driver::ReadTextFile(std::wstring(path.begin(), path.end()));
}

}  // namespace e2e
