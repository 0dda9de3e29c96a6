#include "convert/close_query.h"

#include "convert/batch/batch_conversion.h"
#include "convert/builtin_conversion.h"
#include "convert/conversion_watch.h"
#include "convert/journal/conversion_journal.h"
#include "convert/rules/conversion_messages.h"
#include "runtime/window/dialog_services.h"

namespace convert {

bool MayCloseDuringConversion() {
  if (BatchRunning() || BuiltInRunning()) {
    const rt::LONG answer =
        rt::ShowMessage(kStopBatchQuestion, kMessageCaption, rt::kWarningIcon, u"6", rt::BUTTON_NO, 1);
    if (answer != rt::BUTTON_YES) return false;
    StopBatchForClosing();
    StopBuiltInConversions();
  }
  JournalConversionsAtClose();
  WriteJournalAtClose();
  return true;
}

}  // namespace convert
