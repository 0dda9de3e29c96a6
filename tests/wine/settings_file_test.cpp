// Reading and writing the settings file through the real profile functions.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "runtime/system/system_services.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using rt::TextView;
using vxtest::Utf8;

// What a settings file says, with names folded to lower case as the profile functions match
// them. Blank lines and blanks around "=" are layout, not content, and are dropped.
struct SettingsContent {
  std::vector<std::string> sections;  // in file order
  std::map<std::string, std::map<std::string, std::string>> values;
  std::vector<std::string> comments;  // in file order
  std::vector<std::string> duplicates;
};

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

SettingsContent Parse(const std::string& bytes) {
  SettingsContent content;
  std::string section;
  std::size_t start = 0;
  while (start < bytes.size()) {
    auto end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = Trim(line);
    if (line.empty()) continue;
    if (line[0] == ';') {
      content.comments.push_back(line);
    } else if (line[0] == '[' && line.back() == ']') {
      section = Lower(Trim(line.substr(1, line.size() - 2)));
      content.sections.push_back(section);
    } else {
      const auto equals = line.find('=');
      const std::string key = Lower(Trim(line.substr(0, equals)));
      const std::string value = equals == std::string::npos ? "<no value>" : Trim(line.substr(equals + 1));
      if (!content.values[section].emplace(key, value).second) content.duplicates.push_back(section + "/" + key);
    }
  }
  return content;
}

class SettingsFile : public ::testing::Test {
 protected:
  vxtest::TempDirectory dir;
};

TEST_F(SettingsFile, ReadGivesTheDefaultWhenFileSectionOrEntryIsMissing) {
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"other-section.ini", "[Other]\r\nPathIn=C:\\OTHER\\\r\n"));
  ASSERT_TRUE(vxtest::WriteBytes(dir / u"other-entry.ini", "[Paths]\r\nPathOut=C:\\OUT\\\r\n"));
  const struct {
    const char* what;
    Text file;
    TextView defaultValue;
    TextView expected;
  } cases[] = {
      {"missing file, empty default", dir / u"Vexilate.INI", u"", u""},
      {"missing file, given default", dir / u"Vexilate.INI", u"C:\\DEF\\", u"C:\\DEF\\"},
      {"missing file, default with trailing blanks", dir / u"Vexilate.INI", u"C:\\DEF\\   ", u"C:\\DEF\\"},
      {"missing directory", dir / u"no such dir\\Vexilate.INI", u"", u""},
      {"missing directory, given default", dir / u"no such dir\\Vexilate.INI", u"x", u"x"},
      {"missing section", dir / u"other-section.ini", u"", u""},
      {"missing section, given default", dir / u"other-section.ini", u"C:\\DEF\\", u"C:\\DEF\\"},
      {"missing entry", dir / u"other-entry.ini", u"", u""},
      {"missing entry, given default", dir / u"other-entry.ini", u"C:\\DEF\\", u"C:\\DEF\\"},
  };
  for (const auto& c : cases) {
    rt::ClearErrorState();
    const Text got = rt::GETINI(u"Paths", u"PathIn", c.defaultValue, c.file);
    EXPECT_EQ(got, c.expected) << c.what << ": expected \"" << Utf8(c.expected) << "\", got \"" << Utf8(got) << "\"";
    EXPECT_EQ(rt::ERRORCODE(), 0) << c.what << ": a read must not set the last error";
  }
  EXPECT_FALSE(vxtest::FileExists(dir / u"Vexilate.INI")) << "a read must not create the settings file";
  EXPECT_FALSE(vxtest::DirectoryExists(dir / u"no such dir")) << "a read must not create a directory";
}

TEST_F(SettingsFile, WriteStoresTheValueClipped) {
  const Text file = dir / u"Vexilate.INI";
  rt::SETINI(u"Paths", u"PathIn", u"C:\\IN\\      ", file);

  const auto bytes = vxtest::ReadBytes(file);
  ASSERT_TRUE(bytes) << "the write did not create " << Utf8(file);
  EXPECT_NE(bytes->find("PathIn=C:\\IN\\\r\n"), std::string::npos) << "file holds: " << *bytes;
  EXPECT_EQ(bytes->find("C:\\IN\\ "), std::string::npos) << "trailing blanks were stored: " << *bytes;

  const Text got = rt::GETINI(u"Paths", u"PathIn", u"", file);
  EXPECT_EQ(got, u"C:\\IN\\") << "read back \"" << Utf8(got) << "\"";
}

TEST_F(SettingsFile, FirstWriteCreatesTheSectionWithTheOneKey) {
  const struct {
    const char* what;
    TextView section, entry, value;
    std::string expected;
  } cases[] = {
      {"output directory", u"Paths", u"PathOut", u"C:\\OUT\\", "[Paths]\r\nPathOut=C:\\OUT\\\r\n"},
      {"names with trailing blanks", u"Paths   ", u"PathIn  ", u"D:\\Data\\  ", "[Paths]\r\nPathIn=D:\\Data\\\r\n"},
      {"all-blank value is stored empty", u"Paths", u"PathIn", u"    ", "[Paths]\r\nPathIn=\r\n"},
      {"value with inner blanks", u"Paths", u"PathIn", u"C:\\My Files\\In\\",
       "[Paths]\r\nPathIn=C:\\My Files\\In\\\r\n"},
  };
  int serial = 0;
  for (const auto& c : cases) {
    const Text file = dir / (u"first" + Text(1, static_cast<char16_t>(u'0' + serial++)) + u".INI");
    rt::SETINI(c.section, c.entry, c.value, file);
    const auto bytes = vxtest::ReadBytes(file);
    ASSERT_TRUE(bytes) << c.what << ": the write did not create the file";
    EXPECT_EQ(*bytes, c.expected) << c.what;
  }
}

TEST_F(SettingsFile, SecondKeyIsAddedAndLaterWritesReplaceInPlace) {
  const Text file = dir / u"Vexilate.INI";
  rt::SETINI(u"Paths", u"PathOut", u"C:\\OUT\\", file);
  rt::SETINI(u"Paths", u"PathIn", u"C:\\IN\\", file);
  EXPECT_EQ(vxtest::ReadBytes(file).value_or("<unreadable>"), "[Paths]\r\nPathOut=C:\\OUT\\\r\nPathIn=C:\\IN\\\r\n");

  rt::SETINI(u"Paths", u"PathOut", u"E:\\NEW OUT\\", file);
  EXPECT_EQ(vxtest::ReadBytes(file).value_or("<unreadable>"),
            "[Paths]\r\nPathOut=E:\\NEW OUT\\\r\nPathIn=C:\\IN\\\r\n");
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathOut", u"", file), u"E:\\NEW OUT\\");
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathIn", u"", file), u"C:\\IN\\");
}

TEST_F(SettingsFile, WriteKeepsOtherSectionsKeysAndComments) {
  const std::string original =
      "; Vexilate settings, also edited by hand\r\n"
      "[Other]\r\n"
      "Alpha = 1\r\n"
      "Beta=two words  \r\n"
      "\r\n"
      "; the program's own section\r\n"
      "[paths]\r\n"
      "pathin = C:\\OLD\\\r\n"
      "Extra=keep me\r\n"
      "; a comment inside the section\r\n"
      "[Last]\r\n"
      "Gamma=3\r\n"
      "Empty=\r\n";
  const Text file = dir / u"Vexilate.INI";
  ASSERT_TRUE(vxtest::WriteBytes(file, original));

  // Names match without regard to case: the existing "pathin" is replaced, not doubled.
  rt::SETINI(u"Paths", u"PathIn", u"C:\\NEW\\", file);
  rt::SETINI(u"Paths", u"PathOut", u"D:\\OUT\\", file);

  const auto bytes = vxtest::ReadBytes(file);
  ASSERT_TRUE(bytes) << "the settings file is gone after the write";
  const SettingsContent before = Parse(original);
  const SettingsContent after = Parse(*bytes);
  SettingsContent expected = before;
  expected.values["paths"]["pathin"] = "C:\\NEW\\";
  expected.values["paths"]["pathout"] = "D:\\OUT\\";

  EXPECT_EQ(after.sections, expected.sections) << "file after the writes:\n" << *bytes;
  EXPECT_EQ(after.values, expected.values) << "file after the writes:\n" << *bytes;
  EXPECT_EQ(after.comments, expected.comments) << "file after the writes:\n" << *bytes;
  EXPECT_TRUE(after.duplicates.empty()) << "doubled keys, first " << after.duplicates.front() << ":\n" << *bytes;

  EXPECT_EQ(rt::GETINI(u"Other", u"Beta", u"", file), u"two words");
  EXPECT_EQ(rt::GETINI(u"Paths", u"Extra", u"", file), u"keep me");
}

}  // namespace
