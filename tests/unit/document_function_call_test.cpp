#include "transform/documents/document_function_call.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(CallsDocumentFunction, ExpressionsAndTemplates) {
  constexpr auto kExpression = AttributeHolds::kExpression;
  constexpr auto kTemplate = AttributeHolds::kTemplate;
  const struct {
    TextView value;
    AttributeHolds holds;
    bool calls;
  } cases[] = {
      {u"document('a.xml')/root", kExpression, true}, {u"count(document\r\n ($name))", kExpression, true},
      {u"1-document('a')", kExpression, true},        {u"'x' | document(\"b\")", kExpression, true},
      {u"'document(' = .", kExpression, false},       {u"my-document('a')", kExpression, false},
      {u"ext:document('a')", kExpression, false},     {u"child::document/x", kExpression, false},
      {u"document('a')", kTemplate, false},           {u"x{document('a')/x}", kTemplate, true},
      {u"{{document('a')}}", kTemplate, false},       {u"{'}'}{document('a')}", kTemplate, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallsDocumentFunction(c.value, c.holds), c.calls) << std::string(c.value.begin(), c.value.end());
  }
}

}  // namespace
}  // namespace rt
