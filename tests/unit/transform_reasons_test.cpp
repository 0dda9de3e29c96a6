#include "transform/xslt/transform_reasons.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(ParseErrorReason, TellsThePlaceWhenTheLibraryDoes) {
  const struct {
    ParsedDocument document;
    LONG line, column;
    TextView libraryText, reason;
  } cases[] = {
      {ParsedDocument::kInput, 3, 7, u"Unexpected end.\r\n",
       u"Ошибка в файле C:\\in\\a.XML, строка 3, позиция 7: Unexpected end."},
      {ParsedDocument::kStylesheet, 12, 1, u"x", u"Ошибка в таблице стилей C:\\in\\a.XML, строка 12, позиция 1: x"},
      {ParsedDocument::kInput, 0, 0, u"error", u"Ошибка в файле C:\\in\\a.XML: error"},
      {ParsedDocument::kInput, 2, 5, u"", u"Ошибка в файле C:\\in\\a.XML, строка 2, позиция 5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseErrorReason(c.document, u"C:\\in\\a.XML", c.line, c.column, c.libraryText), c.reason);
  }
}

}  // namespace
}  // namespace rt
