#include "convert/close_query.h"

#include "convert/batch_conversion.h"
#include "convert/builtin_conversion.h"
#include "convert/rules/conversion_messages.h"
#include "runtime/window/dialog_services.h"
#include "transform/xml_transform.h"

namespace convert {

bool MayCloseDuringConversion() {
  // A batch asks its own question; otherwise built-in conversions ask the same one.
  if (BatchRunning()) {
    if (!MayCloseDuringBatch()) return false;
  } else if (BuiltInRunning()) {
    const rt::LONG answer =
        rt::ShowMessage(kStopBatchQuestion, kMessageCaption, rt::kWarningIcon, u"6", rt::BUTTON_NO, 1);
    if (answer != rt::BUTTON_YES) return false;
  }
  rt::AbandonTransformations();
  return true;
}

}  // namespace convert
