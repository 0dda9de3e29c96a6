// Sets the scene for the README's picture of a batch report: the real program converts a few
// sample files with the stand-in processor (one of which fails, two of which are refused) and
// leaves its report open until a line arrives on standard input.
//
//   report_scene <vexilate.exe> <msxsl.exe>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "tests/driver/file_dialogs.h"
#include "tests/driver/launch_record.h"
#include "tests/driver/process_control.h"
#include "tests/driver/test_files.h"

namespace {

std::wstring Name(const std::wstring& registration, const std::wstring& organisation, const std::wstring& unit) {
  return L"ABCDEFGHIJKLMNOPQRSTUVWXYZA" + registration + L"BCDEF" + organisation + L"GHIJKLMNOPQRSTUV" + unit + L".XML";
}

// The settings file is in the ANSI code page.
std::string Ansi(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();
  return bytes;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  try {
    driver::TempDirectory place;
    const std::wstring input = place / L"Входящие", output = place / L"Формат 4";
    driver::MakeDirectories(input);
    driver::MakeDirectories(output);
    CopyFileW(argv[1], (place / L"vexilate.exe").c_str(), FALSE);
    CopyFileW(argv[2], (place / L"msxsl.exe").c_str(), FALSE);
    driver::WriteTextFile(place / L"qRec7to4.xsl", "<xsl:stylesheet version=\"1.0\"/>");
    driver::WriteTextFile(
        place / driver::kBehaviourFile,
        driver::FormatBehaviours({{L"004417", 1, 0, false, L"", L"Ошибка: неверный корневой элемент"}}));
    const std::wstring names[] = {Name(L"004321", L"12345", L"00000"), Name(L"004321", L"00000", L"00078"),
                                  Name(L"004417", L"00210", L"00000"), Name(L"004501", L"00000", L"00000"),
                                  Name(L"000777", L"00001", L"00000"), L"Сопроводительное письмо.XML"};
    std::vector<std::wstring> chosen;
    for (const std::wstring& name : names) {
      driver::WriteTextFile(input + L"\\" + name, "<?xml version=\"1.0\"?><document/>");
      chosen.push_back(name);
    }
    driver::WriteTextFile(place / L"Vexilate.INI",
                          "[Paths]\r\nPathIn=" + Ansi(input) + "\\\r\nPathOut=" + Ansi(output) + "\\\r\n");
    driver::Process program = driver::Process::Launch(place / L"vexilate.exe", {}, place.path());
    const driver::Window main = program.WaitForWindow(
        [](const driver::Window& window) { return window.Text().starts_with(L"Конвертация файлов из 7"); },
        L"the main window");
    main.Child(1005).Click();
    driver::ChooseFilesInExplorerDialog(driver::WaitForExplorerFileDialog(program.Id()), chosen);
    program.WaitForWindow(driver::kDialogClass, L"Отчёт о конвертации", driver::Timeout{30'000});
    std::puts("ready");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    program.Kill();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "report_scene: %s\n", error.what());
    return 1;
  }
}
