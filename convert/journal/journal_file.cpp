#include "convert/journal/journal_file.h"

#include "app/globals.h"
#include "convert/journal/rules/journal_line.h"
#include "runtime/system/file_facts.h"

namespace convert {

rt::Text JournalPath() {
  const rt::Text settings = rt::CLIP(app::GLO_STNAMEINIFILE);
  return rt::Concat({rt::TextView(settings).substr(0, settings.find_last_of(u"\\/") + 1), kJournalFileName});
}

rt::Text JournalFileTime(std::int64_t fileTime) {
  const rt::LocalTime time = rt::LocalTimeOf(fileTime);
  return JournalTime(time.year, time.month, time.day, time.hour, time.minute, time.second);
}

}  // namespace convert
