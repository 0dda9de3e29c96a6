// Files that are not settings files: the services read the default and leave them alone.
#include <gtest/gtest.h>

#include <string>

#include "runtime/system/system_services.h"
#include "runtime/system/win32_api.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using vxtest::Utf8;

constexpr std::size_t kMiB = 1024 * 1024;
const std::string kSettings = "[Paths]\r\nPathIn=C:\\IN\\\r\n";

// The settings above followed by comment lines up to exactly `size` bytes.
std::string PaddedTo(std::size_t size) {
  std::string bytes = kSettings;
  const std::string line = "; " + std::string(60, '-') + "\r\n";
  while (bytes.size() + line.size() <= size) bytes += line;
  bytes += std::string(size - bytes.size(), ';');
  return bytes;
}

class SettingsFileGuard : public ::testing::Test {
 protected:
  vxtest::TempDirectory dir;
};

TEST_F(SettingsFileGuard, DamagedFilesReadAsDefaultAndAreNotRewritten) {
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"NUL bytes after the settings", kSettings + std::string("\0\x01\x02\xFF\0tail", 9)},
      {"NUL byte inside the value", std::string("[Paths]\r\nPathIn=C:\\I\0N\\\r\n", 25)},
      {"a program file", std::string("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0", 16) + kSettings},
      {"one byte over 1 MiB", PaddedTo(kMiB + 1)},
      {"several MiB", PaddedTo(3 * kMiB)},
  };
  int serial = 0;
  for (const auto& c : cases) {
    const Text file = dir / (u"damaged" + Text(1, static_cast<char16_t>(u'0' + serial++)) + u".INI");
    ASSERT_TRUE(vxtest::WriteBytes(file, c.bytes)) << c.what;
    const Text got = rt::GETINI(u"Paths", u"PathIn", u"DEFAULT", file);
    EXPECT_EQ(got, u"DEFAULT") << c.what << ": read \"" << Utf8(got) << "\"";
    rt::SETINI(u"Paths", u"PathIn", u"C:\\NEW\\", file);
    rt::SETINI(u"Paths", u"PathOut", u"C:\\OUT\\", file);
    const auto after = vxtest::ReadBytes(file);
    ASSERT_TRUE(after) << c.what << ": the file is gone";
    EXPECT_TRUE(*after == c.bytes) << c.what << ": the write changed the file (" << c.bytes.size() << " bytes before, "
                                   << after->size() << " after)";
  }
}

TEST_F(SettingsFileGuard, FileOfExactly1MiBIsStillASettingsFile) {
  const Text file = dir / u"Vexilate.INI";
  ASSERT_TRUE(vxtest::WriteBytes(file, PaddedTo(kMiB)));
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathIn", u"DEFAULT", file), u"C:\\IN\\");
  rt::SETINI(u"Paths", u"PathOut", u"C:\\OUT\\", file);
  // The file has grown past the limit now, so only its bytes can show the write.
  EXPECT_NE(vxtest::ReadBytes(file).value_or("").find("PathOut=C:\\OUT\\\r\n"), std::string::npos)
      << "the write to a file of exactly 1 MiB did not happen";
}

TEST_F(SettingsFileGuard, DirectoryOfThatNameIsLeftAlone) {
  const Text file = dir / u"Vexilate.INI";
  ASSERT_TRUE(vxtest::MakeDirectory(file));
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathIn", u"DEFAULT", file), u"DEFAULT");
  rt::SETINI(u"Paths", u"PathIn", u"C:\\NEW\\", file);
  EXPECT_TRUE(vxtest::DirectoryExists(file)) << "the directory was replaced";
  EXPECT_FALSE(vxtest::FileExists(file + u"\\Paths")) << "something was written into the directory";
  EXPECT_TRUE(RemoveDirectoryW(rt::Wide(file))) << "the directory is no longer empty";
}

TEST_F(SettingsFileGuard, FileHeldOpenByAnotherIsLeftAlone) {
  const Text file = dir / u"Vexilate.INI";
  ASSERT_TRUE(vxtest::WriteBytes(file, kSettings));
  HANDLE held = CreateFileW(rt::Wide(file), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE) << "cannot open the file exclusively, error " << GetLastError();
  const Text got = rt::GETINI(u"Paths", u"PathIn", u"DEFAULT", file);
  rt::SETINI(u"Paths", u"PathIn", u"C:\\NEW\\", file);
  CloseHandle(held);
  EXPECT_EQ(got, u"DEFAULT") << "read \"" << Utf8(got) << "\" from a file that cannot be opened";
  EXPECT_EQ(vxtest::ReadBytes(file).value_or("<unreadable>"), kSettings);
  // Once released, it is an ordinary settings file again.
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathIn", u"DEFAULT", file), u"C:\\IN\\");
}

TEST_F(SettingsFileGuard, Utf16FileWithByteOrderMarkIsRead) {
  const Text file = dir / u"Vexilate.INI";
  const Text content = u"[Paths]\r\nPathIn=C:\\Документы\\Вход\\\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : content) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  ASSERT_TRUE(vxtest::WriteBytes(file, bytes));
  const Text got = rt::GETINI(u"Paths", u"PathIn", u"DEFAULT", file);
  EXPECT_EQ(got, u"C:\\Документы\\Вход\\") << "read \"" << Utf8(got) << "\"";

  rt::SETINI(u"Paths", u"PathOut", u"C:\\Выход\\", file);
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathOut", u"DEFAULT", file), u"C:\\Выход\\");
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathIn", u"DEFAULT", file), u"C:\\Документы\\Вход\\");
  EXPECT_EQ(vxtest::ReadBytes(file).value_or("").substr(0, 2), "\xFF\xFE") << "the file lost its byte order mark";
}

}  // namespace
