// Lengths the settings services cut at: values, section and entry names, the file's path.
#include <gtest/gtest.h>

#include <string>

#include "runtime/system/system_services.h"
#include "tests/wine/test_paths.h"

namespace {

using rt::Text;
using vxtest::Utf8;

// A text whose every position differs from its neighbours, so a cut shows where it fell.
Text Numbered(std::size_t length, char16_t first = u'0') {
  Text text;
  for (std::size_t i = 0; i < length; ++i) text += static_cast<char16_t>(first + i % 10);
  return text;
}

std::string Narrow(const Text& text) { return Utf8(text); }

class SettingsFileLimits : public ::testing::Test {
 protected:
  vxtest::TempDirectory dir;
};

TEST_F(SettingsFileLimits, WrittenValueIsCutTo1023Characters) {
  const Text file = dir / u"Vexilate.INI";
  const Text value = Numbered(1500);
  rt::SETINI(u"Paths", u"PathIn", value, file);
  EXPECT_EQ(vxtest::ReadBytes(file).value_or("<unreadable>"),
            "[Paths]\r\nPathIn=" + Narrow(value.substr(0, 1023)) + "\r\n");
  const Text got = rt::GETINI(u"Paths", u"PathIn", u"", file);
  EXPECT_EQ(got.size(), 1023u);
  EXPECT_EQ(got, value.substr(0, 1023));
}

TEST_F(SettingsFileLimits, ReadValueIsCutTo1023Characters) {
  const struct { std::size_t stored, expected; } cases[] = {{1022, 1022}, {1023, 1023}, {1024, 1023}, {4000, 1023}};
  for (const auto& c : cases) {
    const Text file = dir / (u"read" + vxtest::FromUtf8(std::to_string(c.stored)));
    const Text value = Numbered(c.stored);
    ASSERT_TRUE(vxtest::WriteBytes(file, "[Paths]\r\nPathIn=" + Narrow(value) + "\r\n"));
    const Text got = rt::GETINI(u"Paths", u"PathIn", u"", file);
    EXPECT_EQ(got.size(), c.expected) << "a stored value of " << c.stored << " characters";
    EXPECT_EQ(got, value.substr(0, c.expected)) << "a stored value of " << c.stored << " characters";
  }
}

TEST_F(SettingsFileLimits, DefaultIsCutTo1023Characters) {
  const Text defaultValue = Numbered(1500);
  const Text got = rt::GETINI(u"Paths", u"PathIn", defaultValue, dir / u"missing.INI");
  EXPECT_EQ(got.size(), 1023u);
  EXPECT_EQ(got, defaultValue.substr(0, 1023));
}

TEST_F(SettingsFileLimits, SectionAndEntryNamesAreCutAt63Characters) {
  const Text file = dir / u"Vexilate.INI";
  Text section = Numbered(70), entry = Numbered(70);
  section.front() = u'S';
  entry.front() = u'E';
  rt::SETINI(section, entry, u"v", file);
  std::string expected = "[";
  expected.append(Narrow(section.substr(0, 63))).append("]\r\n").append(Narrow(entry.substr(0, 63))).append("=v\r\n");
  EXPECT_EQ(vxtest::ReadBytes(file).value_or("<unreadable>"), expected);

  // A read with other characters after the 63rd finds the same entry.
  const Text otherSection = section.substr(0, 63) + u"-another-tail";
  const Text otherEntry = entry.substr(0, 63) + u"-another-tail";
  EXPECT_EQ(rt::GETINI(otherSection, otherEntry, u"", file), u"v");
  // A difference inside the first 63 characters still matters.
  EXPECT_EQ(rt::GETINI(section.substr(0, 62) + u"#", otherEntry, u"none", file), u"none");
}

TEST_F(SettingsFileLimits, FilePathIsCutAt259Characters) {
  const Text& base = dir.path();
  ASSERT_LT(base.size(), 200u) << "temporary directory too long for this test: " << Utf8(base);
  // A file name that makes the path 270 characters; the settings services use the first 259.
  const Text longPath = base + Numbered(270 - base.size(), u'a');
  const Text cutPath = longPath.substr(0, 259);

  rt::SETINI(u"Paths", u"PathIn", u"C:\\IN\\", longPath);
  EXPECT_TRUE(vxtest::FileExists(cutPath)) << "expected the write to go to the cut path " << Utf8(cutPath);
  EXPECT_FALSE(vxtest::FileExists(longPath)) << "the full path was used: " << Utf8(longPath);
  EXPECT_EQ(vxtest::ReadBytes(cutPath).value_or("<unreadable>"), "[Paths]\r\nPathIn=C:\\IN\\\r\n");
  EXPECT_EQ(rt::GETINI(u"Paths", u"PathIn", u"", longPath), u"C:\\IN\\");
}

}  // namespace
