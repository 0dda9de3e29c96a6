#include "convert/rules/name_fields.h"

#include "runtime/text/number_text.h"

namespace convert {
namespace {

constexpr rt::LONG kRegistrationLimit = 999999;  // what "N06" holds
constexpr rt::LONG kBatchLimit = 99999;          // what "N05" holds

bool IsBatchNumber(rt::LONG value) { return value > 0 && value <= kBatchLimit; }

}  // namespace

rt::LONG LastSeparator(rt::TextView path) {
  const auto at = path.rfind(u'\\');  // trailing blanks never hold one: no need to clip
  return at == rt::TextView::npos ? 0 : static_cast<rt::LONG>(at + 1);
}

rt::Text FileNamePart(rt::TextView path) {
  const rt::Text clipped = rt::CLIP(path);
  const rt::LONG i = LastSeparator(clipped);
  return rt::SUB(clipped, i + 1, rt::LEN(clipped) - i);
}

NameFields ReadNameFields(rt::TextView fileName) {
  const rt::Text name = rt::CLIP(fileName);
  NameFields fields;
  fields.REGNUMB = rt::TextToLong(rt::SUB(name, 28, 6));
  fields.DCK1 = rt::TextToLong(rt::SUB(name, 39, 5));
  fields.DCK2 = rt::TextToLong(rt::SUB(name, 60, 5));
  return fields;
}

NameProblem CheckNameFields(const NameFields& fields) {
  if (fields.REGNUMB <= 0 || fields.REGNUMB > kRegistrationLimit) return NameProblem::RegistrationNumber;
  const bool onlyFirst = IsBatchNumber(fields.DCK1) && fields.DCK2 == 0;
  const bool onlySecond = fields.DCK1 == 0 && IsBatchNumber(fields.DCK2);
  if (!onlyFirst && !onlySecond) return NameProblem::BatchNumber;
  return NameProblem::None;
}

rt::Text OutputName(const NameFields& fields) {
  const rt::LONG batch = fields.DCK1 != 0 ? fields.DCK1 : fields.DCK2;
  const rt::Text digits = rt::FORMAT(batch, u"N05");
  return rt::Concat({rt::FORMAT(fields.REGNUMB, u"N06"), rt::SUB(digits, 1, 2), u".", rt::SUB(digits, 3, 3)});
}

}  // namespace convert
