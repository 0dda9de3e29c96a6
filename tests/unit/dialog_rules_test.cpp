#include <gtest/gtest.h>

#include "runtime/dialogs/message_dialog_content.h"
#include "runtime/dialogs/pick_path_rules.h"
#include "runtime/window/dialog_services.h"

namespace rt {
namespace {

TEST(MessageLines, BarsBecomeLineBreaks) {
  EXPECT_EQ(MessageLines(u"Не удалось|причина"), u"Не удалось\r\nпричина");
  EXPECT_EQ(MessageLines(u"||"), u"\r\n\r\n");
  EXPECT_EQ(MessageLines(u"no bar"), u"no bar");
}

TEST(SystemIconNumber, OnlyTheFourCharacterForm) {
  const char16_t warning[] = {0xFF, 0x01, 0x04, 0x7F};
  EXPECT_EQ(SystemIconNumber(TextView(warning, 4)), 32515);  // IDI_EXCLAMATION
  EXPECT_EQ(SystemIconNumber(kWarningIcon), 32515);          // what the application passes
  const char16_t hand[] = {0xFF, 0x01, 0x02, 0x7F};
  EXPECT_EQ(SystemIconNumber(TextView(hand, 4)), 32513);  // IDI_HAND
  EXPECT_FALSE(SystemIconNumber(u""));
  EXPECT_FALSE(SystemIconNumber(u"icon.ico"));
  EXPECT_FALSE(SystemIconNumber(TextView(warning, 3)));
  const char16_t zero[] = {0xFF, 0x01, 0x00, 0x00};
  EXPECT_FALSE(SystemIconNumber(TextView(zero, 4)));
}

TEST(MessageButtons, BitsGiveButtonsInOrder) {
  const struct {
    TextView buttons;
    std::vector<LONG> bits;
  } cases[] = {
      {u"", {1}},       {u"0", {1}},      {u"1", {1}},
      {u"6", {2, 4}},   {u"65", {1, 64}}, {u"255", {1, 2, 4, 8, 16, 32, 64, 128}},
      {u"Да|Нет", {1}}, {u"256", {1}},  // no known bit: OK alone, never a dialog without a button
  };
  for (const auto& c : cases) {
    std::vector<LONG> bits;
    for (const auto& button : MessageButtons(c.buttons)) bits.push_back(button.bit);
    EXPECT_EQ(bits, c.bits) << std::string(c.buttons.begin(), c.buttons.end());
  }
  EXPECT_EQ(MessageButtons(u"").front().caption, u"OK");
  EXPECT_EQ(MessageButtons(u"64").front().caption, u"Cancel");
}

TEST(DefaultButton, RequestedWhenPresentElseFirst) {
  const auto yesNo = MessageButtons(u"6");
  EXPECT_EQ(DefaultButton(yesNo, 4), 4);
  EXPECT_EQ(DefaultButton(yesNo, 0), 2);
  EXPECT_EQ(DefaultButton(yesNo, 64), 2);
}

TEST(DialogFlags, FromThePickFlagWord) {
  const struct {
    LONG pickFlags;
    std::uint32_t expected;
    bool save;
  } cases[] = {
      {kPickExplorer, 0x00285804, false},  // the file to convert
      {kPickDirectory, 0x00210864, true},  // a directory lookup
      {kPickDirectory | kPickKeepDirectory, 0x0021086C, true},
      {0, 0x00205824, false},         // classic open, with its hook
      {kPickSave, 0x00204026, true},  // classic save asks before overwriting
      {kPickSave | kPickNoChecks, 0x00204024, true},
      {kPickNoChecks, 0x00204824, false},
      {kPickExplorer | kPickMultiple | kPickKeepDirectory, 0x00285A0C, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DialogFlags(c.pickFlags), c.expected) << "pick flags " << c.pickFlags;
    EXPECT_EQ(UsesSaveDialog(c.pickFlags), c.save) << "pick flags " << c.pickFlags;
  }
}

TEST(DialogFilter, PairsEndWithDoubleNul) {
  const struct {
    TextView filter;
    TextView expected;
  } cases[] = {
      {u"ALL|*.*", TextView(u"ALL\0*.*\0\0", 9)},
      {u"*.XML", TextView(u"*.XML\0*.XML\0\0", 13)},
      {u"", TextView(u"All Files (*.*)\0*.*\0\0", 21)},
      {u"XML|*.xml|ALL|*.*", TextView(u"XML\0*.xml\0ALL\0*.*\0\0", 19)},
  };
  for (const auto& c : cases) EXPECT_EQ(DialogFilter(c.filter), Text(c.expected));
  EXPECT_EQ(DialogFilter(Text(300, u'a') + u"|*.*").size(), 254u + 1 + 254 + 2);  // cut at 254 first
}

TEST(NameCanStartDialog, RejectsWhatTheDialogCannotParse) {
  const struct {
    TextView name;
    bool accepted;
  } cases[] = {
      {u"C:\\DATA\\IN\\file.XML", true},
      {u"file.xml", true},
      {u"\\\\srv\\share\\a.xml", true},
      {u"", false},
      {u"a|b", false},
      {u"a<b", false},
      {u"*.XML", false},
      {u"C:\\a:b", false},
      {TextView(u"a\0b", 3), false},
  };
  for (const auto& c : cases) EXPECT_EQ(NameCanStartDialog(c.name), c.accepted);
  EXPECT_FALSE(NameCanStartDialog(Text(260, u'a')));
}

TEST(DirectoryOfAnswer, CutAfterTheLastBackslash) {
  EXPECT_EQ(DirectoryOfAnswer(u"C:\\XXYZZY.NIG"), u"C:\\");
  EXPECT_EQ(DirectoryOfAnswer(u"C:\\DATA\\IN\\XXYZZY.NIG"), u"C:\\DATA\\IN\\");
  EXPECT_EQ(DirectoryOfAnswer(u"XXYZZY.NIG"), u"");
}

TEST(JoinMultipleSelection, NulSeparatorsBecomeBars) {
  EXPECT_EQ(JoinMultipleSelection(TextView(u"C:\\in\0a.xml\0b.xml\0\0", 20)), u"C:\\in|a.xml|b.xml");
  EXPECT_EQ(JoinMultipleSelection(TextView(u"C:\\in\\a.xml\0\0", 13)), u"C:\\in\\a.xml");
}

}  // namespace
}  // namespace rt
