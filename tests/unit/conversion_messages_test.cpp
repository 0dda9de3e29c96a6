#include "convert/rules/conversion_messages.h"

#include <gtest/gtest.h>

namespace convert {
namespace {

TEST(LaunchFailedMessage, SystemDescriptionOnItsOwnLine) {
  const struct {
    rt::TextView description, expected;
  } cases[] = {
      {u"Не удается найти указанный файл.\r\n", u"Не удалось запустить msxsl.exe|Не удается найти указанный файл."},
      {u"File not found.", u"Не удалось запустить msxsl.exe|File not found."},
      {u"Access denied. \r\n\r\n", u"Не удалось запустить msxsl.exe|Access denied."},
      {u"", u"Не удалось запустить msxsl.exe"},
      {u"\r\n", u"Не удалось запустить msxsl.exe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LaunchFailedMessage(c.description), c.expected)
        << "description: " << ::testing::PrintToString(rt::Text(c.description));
  }
}

}  // namespace
}  // namespace convert
