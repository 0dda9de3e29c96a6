// «Журнал»: the journal of conversions in a window of its own, newest first, kept up to date while
// it is open.
#pragma once

namespace convert {

void ShowJournal();

}  // namespace convert
