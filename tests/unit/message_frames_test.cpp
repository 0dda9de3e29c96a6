#include "runtime/text/message_frames.h"

#include <gtest/gtest.h>

#include "runtime/text/temporary_name.h"

namespace rt {
namespace {

// Messages arrive whole however the pipe cuts them, one after another, any text kept.
TEST(TakeMessage, GivesBackWhatWasFramedWhateverTheCuts) {
  const std::vector<std::vector<Text>> messages = {
      {u"transform", u"C:\\Вход\\a b.XML", u"C:\\OUT\\vxt1-0-1.tmp"}, {u"failed", u"line\r\nbreak\0NUL"}, {}, {u""}};
  std::string stream;
  for (const auto& fields : messages) stream += FrameMessage(fields);
  for (const std::size_t cut : {std::size_t{1}, std::size_t{3}, std::size_t{7}, stream.size()}) {
    std::string received;
    std::vector<std::vector<Text>> taken;
    for (std::size_t at = 0; at < stream.size(); at += cut) {
      received += stream.substr(at, cut);
      std::vector<Text> fields;
      while (TakeMessage(received, fields) == FrameState::kWhole) taken.push_back(fields);
    }
    EXPECT_EQ(taken, messages) << "cut every " << cut;
    EXPECT_TRUE(received.empty());
  }
  std::vector<Text> fields;
  std::string huge("\xFF\xFF\xFF\x7F", 4), torn = std::string("\x05\0\0\0\x09\0\0\0x", 9);
  EXPECT_EQ(TakeMessage(huge, fields), FrameState::kBroken);
  EXPECT_EQ(TakeMessage(torn, fields), FrameState::kBroken);
}

// Only names of the program's own form tell an owner; the computer's digest ignores case.
TEST(OwnerOfTemporaryName, ReadsBackTheNamesItMakes) {
  const TemporaryOwner owner{4294967295u, ComputerDigest(u"OFFICE-PC")};
  EXPECT_EQ(owner.computer, ComputerDigest(u"office-pc"));
  EXPECT_NE(owner.computer, ComputerDigest(u"OFFICE-PC2"));
  EXPECT_EQ(OwnerOfTemporaryName(TemporaryName(owner, 7)), owner);
  EXPECT_EQ(OwnerOfTemporaryName(u"VXT12-0000ABCD-3.TMP"), (TemporaryOwner{12, 0xABCD}));
  for (const TextView other : {u"vxtA1B2.tmp", u"vxt12-ABCD-3.tmp", u"vxt12-0000ABCD-.tmp", u"vxt-0000ABCD-3.tmp",
                               u"vxt4294967296-0000ABCD-3.tmp", u"vxt12-0000ABCD-3.tmp.xml", u"vxt12-0000abcg-3.tmp"}) {
    EXPECT_FALSE(OwnerOfTemporaryName(other)) << std::string(other.begin(), other.end());
  }
}

}  // namespace
}  // namespace rt
