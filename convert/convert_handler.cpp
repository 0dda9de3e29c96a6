#include "convert/convert_handler.h"

#include <vector>

#include "app/globals.h"
#include "convert/batch/batch_conversion.h"
#include "convert/batch/hidden_conversion.h"
#include "convert/builtin_conversion.h"
#include "convert/conversion_watch.h"
#include "convert/given_files.h"
#include "convert/journal/conversion_journal.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/conversion_rules.h"
#include "convert/worker_ahead.h"
#include "runtime/process/hidden_process.h"
#include "runtime/process/program_launch.h"
#include "runtime/system/file_facts.h"
#include "runtime/window/dialog_services.h"
#include "ui/main_window_definition.h"

namespace convert {
namespace {

using namespace rt;
using namespace app;

// A file the program will not convert is journaled, then told.
void Refuse(const Text& inputPath, TextView reason, TextView told) {
  JournalEntry entry = JournalEntryFor(inputPath, JournalMethodFor(FindProgram(kProcessorProgram)));
  entry.result = JournalResult::Refused;
  entry.reason = reason;
  Journal(JournalPath(), {&entry, 1}, WindowHandle());
  Warn(told, ui::control::BUTTONCONVERT);
}

// The one-file road from a chosen FILEIN on: its name, the checks, the launch. The current
// directory is GLO_PATH.
void ConvertChosenFile() {
  I = LastSeparator(FILEIN);
  FILEOUT = FileNamePart(FILEIN);
  const NameFields fields = ReadNameFields(FILEOUT);
  REGNUMB = fields.REGNUMB;
  DCK1 = fields.DCK1;
  DCK2 = fields.DCK2;
  switch (CheckNameFields(fields)) {
    case NameProblem::RegistrationNumber:
      return Refuse(CLIP(FILEIN), kNoRegistrationNumber, kNoRegistrationNumber);
    case NameProblem::BatchNumber:
      return Refuse(CLIP(FILEIN), kWrongBatchNumber, kWrongBatchNumber);
    case NameProblem::None:
      break;
  }

  // Another run converting the folder's files just now: the file waits for it, as a batch does.
  auto turn = std::make_shared<FolderTurns>();
  if (turn->Take({FolderOfFile(CLIP(FILEIN))}, 0).outcome != TurnOutcome::kTaken) {
    const BatchInput input{CLIP(FILEIN), false};
    return StartBatch({&input, 1}, false);
  }

  FILEOUT = OutputName(fields);
  HWND = WindowHandle();
  // Found as a batch finds it: where it starts (the current directory), then on the search path.
  const Text program = FindProgram(kProcessorProgram);
  APP = program;
  PRM = ParameterText(FILEIN, PATHOUT, FILEOUT);
  // Resolved now, against the directory the processor starts in.
  StartedConversion started{FileNamePart(FILEIN), FullPath(OutputPath(PATHOUT, FILEOUT)), FileTimeNow(),
                            JournalEntryFor(CLIP(FILEIN), JournalMethodFor(program)), std::move(turn)};
  if (program.empty()) {
    // The stylesheet is read where the processor would have read it: the start directory.
    return StartBuiltInConversion(std::move(started), CLIP(FILEIN), FullPath(kStylesheet));
  }
  // The processor in its own window writes the output itself; with the formats' schemas beside
  // the stylesheet the file goes as a batch of one, so that its result is checked before it takes
  // the output's place.
  if (SchemasBeside(FullPath(kStylesheet))) {
    started.turn.reset();  // the batch takes it on its worker
    const BatchInput input{CLIP(FILEIN), false};
    return StartBatch({&input, 1}, false);
  }
  const LaunchResult launch = LaunchProgram(HWND, ACTION, program, PRM, DIRECT, kShowMaximized);
  if (!launch.started) {
    JournalEnd(std::move(started), JournalResult::Failed, LaunchFailedMessage(launch.errorText));
    return Warn(LaunchFailedMessage(launch.errorText), ui::control::BUTTONCONVERT);
  }
  WatchConversion(launch.process, std::move(started));
}

std::vector<BatchInput> AsBatch(const std::vector<Text>& paths) {
  std::vector<BatchInput> inputs;
  for (const Text& path : paths) inputs.push_back({path, IsDirectory(path)});
  return inputs;
}

}  // namespace

void Warn(TextView text, LONG focus) {
  ShowMessage(text, kMessageCaption, kWarningIcon, u"", 0, 1);
  SelectControl(focus, 0, 0);
}

void ConvertHandler() {
  if (BatchRunning()) return Warn(kBatchInProgress, ui::control::BUTTONCONVERT);
  if (!TextIsTrue(CLIP(PATHIN))) return Warn(kEnterInputPath, ui::control::BUTTONLOOKUPPATHIN);
  if (!TextIsTrue(CLIP(PATHOUT))) return Warn(kEnterOutputPath, ui::control::BUTTONLOOKUPPATHOUT);

  // While the user chooses, the worker of the built-in transformation starts, if it is needed.
  StartWorkerAhead();
  struct Unused {
    ~Unused() { EndWorkerStartedAhead(); }
  } unused;
  // The dialog starts in the input directory, or where the program started when that fails.
  ChangeDirectory(CLIP(PATHIN));
  if (TextIsTrue(ERROR())) ChangeDirectory(CLIP(GLO_PATH));
  std::vector<Text> chosen;
  const LONG count = PickFiles(kFileDialogTitle, FILEIN.field(), kFileFilter, chosen);
  const bool tooLong = count == 0 && ERRORCODE() == kNameTooLong;
  ChangeDirectory(CLIP(GLO_PATH));  // the launched processor resolves its names here
  if (tooLong) {
    return Warn(chosen.empty() ? Text(kSelectionTooLarge) : PathTooLongMessage(FILEIN.kSize),
                ui::control::BUTTONCONVERT);
  }
  if (count == 0) return Warn(kNoFileChosen, ui::control::BUTTONCONVERT);
  if (count == 1) return ConvertChosenFile();
  StartBatch(AsBatch(chosen), false);
}

void ConvertDroppedFiles(const std::vector<Text>& paths) {
  if (paths.empty()) return;
  if (BatchRunning()) return Warn(kBatchInProgress, ui::control::BUTTONCONVERT);
  if (!TextIsTrue(CLIP(PATHOUT))) return Warn(kEnterOutputPath, ui::control::BUTTONLOOKUPPATHOUT);
  StartWorkerAhead();
  struct Unused {
    ~Unused() { EndWorkerStartedAhead(); }
  } unused;

  const GivenFiles given = GatherGivenFiles(paths);
  const std::vector<BatchInput>& inputs = given.inputs;
  std::vector<Text> withoutXmlFiles;
  for (const BatchInput& input : inputs) {
    if (input.withoutXmlFiles) withoutXmlFiles.push_back(input.path);
  }
  if (withoutXmlFiles.size() == inputs.size()) {
    return Warn(NoXmlFilesMessage(withoutXmlFiles), ui::control::BUTTONCONVERT);
  }
  if (inputs.size() > 1 || given.fromDirectory) return StartBatch(inputs, true);

  const std::vector<BatchItem> plan = PlanBatch(inputs, true);
  const Text& refusal = plan.front().refusal;
  if (refusal == kNotAnXmlFile || refusal == kNoSuchFile) {
    return Refuse(inputs.front().path, refusal,
                  Concat({kDroppedNotConvertible, plan.front().inputName, u"|", refusal}));
  }
  const Text& chosen = inputs.front().path;
  if (chosen.size() > FILEIN.kSize) return Warn(PathTooLongMessage(FILEIN.kSize), ui::control::BUTTONCONVERT);
  FILEIN = chosen;
  ConvertChosenFile();
}

}  // namespace convert
