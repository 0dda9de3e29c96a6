// The release package as a user gets it: unpacked into a fresh directory (check_package.sh
// does that and names it in VEXILATE_PACKAGE_DIR), no msxsl.exe anywhere, only the stylesheet
// put beside the program; the program converts a sample file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tests/driver/file_dialogs.h"
#include "tests/driver/message_dialog.h"
#include "tests/driver/process_control.h"
#include "tests/driver/test_files.h"
#include "tests/driver/utf8_text.h"

namespace {

constexpr char kStylesheet[] =
    "<?xml version=\"1.0\"?>\r\n<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
    "<xsl:output method=\"xml\" encoding=\"windows-1251\"/>"
    "<xsl:template match=\"/\"><result><xsl:value-of select=\"document/name\"/></result></xsl:template>"
    "</xsl:stylesheet>\r\n";

TEST(ReleasePackage, ConvertsWithoutTheProcessor) {
  const wchar_t* unpacked = _wgetenv(L"VEXILATE_PACKAGE_DIR");
  ASSERT_NE(unpacked, nullptr) << "VEXILATE_PACKAGE_DIR names the unpacked package";
  const std::wstring program = std::wstring(unpacked) + L"\\vexilate.exe";
  const std::string guide = driver::ReadTextFile(std::wstring(unpacked) + L"\\Руководство пользователя.html");
  EXPECT_TRUE(guide.starts_with("<!DOCTYPE html>")) << "the user guide is a page";

  driver::TempDirectory work;
  const std::wstring input = work / L"IN", output = work / L"OUT";
  driver::MakeDirectories(input);
  driver::MakeDirectories(output);
  const std::wstring file = input + L"\\ABCDEFGHIJKLMNOPQRSTUVWXYZA004321BCDEF12345GHIJKLMNOPQRSTUV00000.XML";
  driver::WriteTextFile(file, "<?xml version=\"1.0\"?><document><name>Vexilate</name></document>");
  driver::WriteTextFile(std::wstring(unpacked) + L"\\qRec7to4.xsl", kStylesheet);
  driver::WriteTextFile(
      std::wstring(unpacked) + L"\\Vexilate.INI",
      "[Paths]\r\nPathIn=" + driver::ToUtf8(input) + "\r\nPathOut=" + driver::ToUtf8(output) + "\r\n");

  // Started by a double-click: in its own directory, with the system's search path alone.
  driver::Process started =
      driver::Process::Launch(program, {}, unpacked, {{L"PATH", L"C:\\windows\\system32;C:\\windows"}});
  const driver::Window main = started.WaitForWindow(
      [](const driver::Window& window) { return window.Text().starts_with(L"Конвертация файлов из 7"); },
      L"the main window");
  main.Child(1005).Click();
  driver::ChooseFileInExplorerDialog(driver::WaitForExplorerFileDialog(started.Id()), file);
  const driver::MessageDialog told = driver::WaitForMessageDialog(started.Id(), L"Конвертация");
  EXPECT_NE(told.text.find(L"сконвертирован"), std::wstring::npos) << driver::ToUtf8(told.text);
  driver::PressMessageButton(told, 1);
  EXPECT_EQ(driver::ReadTextFile(output + L"\\00432112.345"),
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<result>Vexilate</result>\n");
  main.PostClose();
  EXPECT_EQ(started.WaitForExit(), 0u);
}

}  // namespace
