#include "convert/conversion_watch.h"

#include <map>
#include <utility>
#include <vector>

#include "convert/builtin_conversion.h"
#include "convert/journal/conversion_journal.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/conversion_outcome.h"
#include "runtime/process/process_watch.h"
#include "runtime/system/file_facts.h"
#include "runtime/window/dialog_services.h"
#include "ui/main_window_definition.h"

namespace convert {
namespace {

std::map<rt::LONG, StartedConversion> g_running;  // by watch number
// Processors that end within this of each other are told in one message.
constexpr std::chrono::milliseconds kEndingTogether{80};

// The processors that have ended: their failures' lines for the user.
std::vector<rt::Text> TakeProcessorEnds(std::chrono::milliseconds together) {
  std::vector<rt::Text> failures;
  for (const rt::EndedProcess& ended : rt::TakeEndedProcesses(together)) {
    const auto found = g_running.find(ended.watch);
    if (found == g_running.end()) continue;
    StartedConversion& conversion = found->second;
    const Outcome outcome =
        JudgeOutcome({ended.exitCode, rt::LastWriteTime(conversion.outputPath)}, conversion.launchTime);
    if (outcome == Outcome::Succeeded) {
      JournalEnd(std::move(conversion), JournalResult::Converted, {});
    } else {
      failures.push_back(FailureLine(conversion.inputName, outcome, ended.exitCode, conversion.outputPath));
      const rt::Text reason = FailureReason(outcome, ended.exitCode, conversion.outputPath);
      JournalEnd(std::move(conversion), JournalResult::Failed, reason);
    }
    g_running.erase(found);
  }
  return failures;
}

// The built-in conversions that have ended: their lines for the user, failures and successes.
void TakeBuiltInEnds(std::vector<rt::Text>& failures, std::vector<rt::Text>& converted) {
  for (BuiltInEnd& ended : TakeEndedBuiltInConversions()) {
    const rt::TransformOutcome& outcome = ended.outcome;
    if (outcome.stopped) {
      JournalEnd(std::move(ended.conversion), JournalResult::Stopped, outcome.reason);
    } else if (outcome.succeeded) {
      converted.push_back(ConvertedLine(ended.conversion.inputName, ended.conversion.outputPath));
      JournalEnd(std::move(ended.conversion), JournalResult::Converted, outcome.reason);
    } else {
      // The report's words of a mismatch lead the message, as in a batch.
      FileReport row{{}, {}, FileResult::Failed, outcome.reason, {}};
      if (outcome.mismatch == rt::TransformOutcome::Mismatch::kFormat) row.result = FileResult::NotFormat;
      if (outcome.mismatch == rt::TransformOutcome::Mismatch::kSchema) row.result = FileResult::NotSchema;
      // The stylesheet's fault, or a schema's: the file stays new for when it is mended.
      if (outcome.notPrepared) row.result = FileResult::NotConverted;
      const rt::Text reason = row.result == FileResult::Failed ? outcome.reason : ResultWords(row);
      failures.push_back(FailureLine(ended.conversion.inputName, reason));
      JournalEnd(std::move(ended.conversion), JournalResultOf(row.result), outcome.reason);
    }
  }
}

}  // namespace

void WatchConversion(rt::HandleValue process, StartedConversion conversion) {
  // A process that cannot be watched is simply not judged, as before.
  if (const rt::LONG watch = rt::WatchProcess(process)) g_running.emplace(watch, std::move(conversion));
}

void ConversionsEnded() {
  std::vector<rt::Text> failures = TakeProcessorEnds(kEndingTogether), converted;
  TakeBuiltInEnds(failures, converted);
  if (!failures.empty()) rt::ShowMessage(MessageLines(failures), kMessageCaption, rt::kWarningIcon, u"", 0, 1);
  if (!converted.empty()) rt::ShowMessage(MessageLines(converted), kConvertedCaption, rt::kInformationIcon, u"", 0, 1);
  if (!failures.empty() || !converted.empty()) rt::SelectControl(ui::control::BUTTONCONVERT, 0, 0);
  TellJournalProblem();
}

void JournalEnd(StartedConversion conversion, JournalResult result, rt::TextView reason) {
  JournalEntry& entry = conversion.journal;
  entry.outputPath = std::move(conversion.outputPath);
  entry.result = result;
  entry.reason = OneLine(reason);
  Journal(JournalPath(), {&entry, 1}, rt::WindowHandle());
}

void JournalConversionsAtClose() {
  std::vector<rt::Text> unsaid;  // nobody is left to read them
  TakeProcessorEnds(std::chrono::milliseconds{0});
  TakeBuiltInEnds(unsaid, unsaid);
  for (auto& [watch, conversion] : std::exchange(g_running, {})) {
    JournalEnd(std::move(conversion), JournalResult::Launched, {});
  }
}

}  // namespace convert
