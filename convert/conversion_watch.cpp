#include "convert/conversion_watch.h"

#include <map>
#include <vector>

#include "convert/builtin_conversion.h"
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

}  // namespace

void WatchConversion(rt::HandleValue process, StartedConversion conversion) {
  // A process that cannot be watched is simply not judged, as before.
  if (const rt::LONG watch = rt::WatchProcess(process)) g_running.emplace(watch, std::move(conversion));
}

void ConversionsEnded() {
  std::vector<rt::Text> failures;
  for (const rt::EndedProcess& ended : rt::TakeEndedProcesses(kEndingTogether)) {
    const auto found = g_running.find(ended.watch);
    if (found == g_running.end()) continue;
    const StartedConversion& conversion = found->second;
    const Outcome outcome =
        JudgeOutcome({ended.exitCode, rt::LastWriteTime(conversion.outputPath)}, conversion.launchTime);
    if (outcome != Outcome::Succeeded) {
      failures.push_back(FailureLine(conversion.inputName, outcome, ended.exitCode, conversion.outputPath));
    }
    g_running.erase(found);
  }
  std::vector<rt::Text> converted;
  for (const BuiltInEnd& ended : TakeEndedBuiltInConversions()) {
    if (ended.outcome.succeeded) {
      converted.push_back(ConvertedLine(ended.conversion.inputName, ended.conversion.outputPath));
    } else {
      failures.push_back(FailureLine(ended.conversion.inputName, ended.outcome.reason));
    }
  }
  if (!failures.empty()) rt::ShowMessage(MessageLines(failures), kMessageCaption, rt::kWarningIcon, u"", 0, 1);
  if (!converted.empty()) rt::ShowMessage(MessageLines(converted), kConvertedCaption, rt::kInformationIcon, u"", 0, 1);
  if (!failures.empty() || !converted.empty()) rt::SelectControl(ui::control::BUTTONCONVERT, 0, 0);
}

}  // namespace convert
