// Cyrillic in the settings file: stored in the ANSI code page, as the users' systems keep it.
#include <gtest/gtest.h>

#include <string>

#include "runtime/system/system_services.h"
#include "runtime/system/win32_api.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using rt::TextView;
using vxtest::Utf8;

class SettingsFileAnsi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 1251u) << "the ANSI code page must be 1251: run under Wine with LC_ALL=ru_RU.UTF-8 and the "
                                  "ru_RU.UTF-8 locale generated (otherwise Wine silently takes 1252)";
  }
  vxtest::TempDirectory dir;
};

// Windows-1251 bytes of the Cyrillic letters used below.
const struct {
  TextView value;
  std::string bytes;
} kCyrillicValues[] = {
    {u"C:\\Документы\\Вход\\", "C:\\\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB\\\xC2\xF5\xEE\xE4\\"},
    {u"D:\\Ёлка №1\\Выход\\", "D:\\\xA8\xEB\xEA\xE0 \xB9\x31\\\xC2\xFB\xF5\xEE\xE4\\"},
    {u"E:\\ЯЩИК эюя\\", "E:\\\xDF\xD9\xC8\xCA \xFD\xFE\xFF\\"},
};

TEST_F(SettingsFileAnsi, CyrillicIsWrittenInCodePage1251AndReadBackUnchanged) {
  int serial = 0;
  for (const auto& c : kCyrillicValues) {
    const Text file = dir / (u"cp" + Text(1, static_cast<char16_t>(u'0' + serial++)) + u".INI");
    rt::SETINI(u"Paths", u"PathIn", c.value, file);
    EXPECT_EQ(vxtest::ReadBytes(file).value_or("<unreadable>"), "[Paths]\r\nPathIn=" + c.bytes + "\r\n")
        << "writing " << Utf8(c.value);
    const Text got = rt::GETINI(u"Paths", u"PathIn", u"", file);
    EXPECT_EQ(got, c.value) << "expected \"" << Utf8(c.value) << "\", read back \"" << Utf8(got) << "\"";
  }
}

TEST_F(SettingsFileAnsi, FileWrittenElsewhereIn1251IsRead) {
  int serial = 0;
  for (const auto& c : kCyrillicValues) {
    const Text file = dir / (u"given" + Text(1, static_cast<char16_t>(u'0' + serial++)) + u".INI");
    ASSERT_TRUE(vxtest::WriteBytes(file, "[Paths]\r\nPathOut=" + c.bytes + "\r\n"));
    const Text got = rt::GETINI(u"Paths", u"PathOut", u"", file);
    EXPECT_EQ(got, c.value) << "expected \"" << Utf8(c.value) << "\", read \"" << Utf8(got) << "\"";
  }
}

TEST_F(SettingsFileAnsi, SettingsFileInACyrillicDirectory) {
  const Text folder = dir / u"Программа конвертации";
  ASSERT_TRUE(vxtest::MakeDirectory(folder));
  const Text file = folder + u"\\Vexilate.INI";
  rt::SETINI(u"Paths", u"PathOut", u"C:\\Выход\\", file);
  ASSERT_TRUE(vxtest::FileExists(file)) << "no settings file at " << Utf8(file);
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathOut", u"", file), u"C:\\Выход\\");
}

}  // namespace
