#include <optional>
#include <vector>

#include "runtime/system/file_facts.h"
#include "runtime/system/system_error.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/message_frames.h"
#include "transform/transform_worker.h"
#include "transform/xslt/document_disposal.h"
#include "transform/xslt/library_memory.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {
namespace {

constexpr TextView kCompile = u"compile", kSchemas = u"schemas", kTransform = u"transform", kCheck = u"check",
                   kDone = u"done", kFailed = u"failed", kFormat = u"format", kSchema = u"schema",
                   kUnusable = u"unusable", kResult = u"result";

}  // namespace

bool StartTransformWorker(WorkerProcess& worker, TextView program, std::uint32_t& systemError) {
  return worker.Start(program, Concat({u" ", kTransformWorkerSwitch}), systemError);
}

TransformWorker::TransformWorker(const StopSignal& stop, Text program, WorkerProcess startedAhead)
    : stop_(stop), program_(std::move(program)), worker_(std::move(startedAhead)) {}

TransformWorker::~TransformWorker() { Ended(); }

void TransformWorker::Ended() { worker_.End(); }

TransformOutcome TransformWorker::Compile(TextView stylesheetPath) {
  stylesheetPath_ = Text(stylesheetPath);
  compileRequest_ = Text(kCompile);
  return Begin();
}

TransformOutcome TransformWorker::CompileSchemas(TextView stylesheetPath) {
  stylesheetPath_ = Text(stylesheetPath);
  compileRequest_ = Text(kSchemas);
  return Begin();
}

TransformOutcome TransformWorker::Check(TextView path, bool result) {
  if (!worker_.Running()) {
    const TransformOutcome compiled = Begin();
    if (!compiled.succeeded) return compiled;
  }
  if (!worker_.Send(std::vector<Text>{Text(kCheck), Text(result ? kResult : u""), Text(path)})) {
    Ended();
    return {false, false, WorkerEndedReason(path)};
  }
  return Hear(path);
}

TransformOutcome TransformWorker::Begin() {
  const std::vector<Text> fields{compileRequest_, stylesheetPath_};
  // A worker started ahead, or for earlier files, may have ended since: then one is started.
  if (!worker_.Running() || !worker_.Send(fields)) {
    Ended();
    std::uint32_t error = 0;
    if (!StartTransformWorker(worker_, program_, error)) {
      return {false, false, WorkerNotStartedReason(SystemErrorText(error))};
    }
    for (Request& request : queued_) request.sent = false;  // the ended worker took them along
    if (!worker_.Send(fields)) {
      Ended();
      return {false, false, WorkerEndedReason(stylesheetPath_)};
    }
  }
  return Hear(stylesheetPath_);
}

bool TransformWorker::Send(Request& request) {
  const std::vector<Text> fields{Text(kTransform), request.input, request.written, request.output};
  request.sent = request.sent || worker_.Send(fields);
  return request.sent;
}

void TransformWorker::Queue(TextView inputPath, TextView writtenPath, TextView outputPath) {
  queued_.push_back({Text(inputPath), Text(writtenPath), Text(outputPath)});
  // In the order asked: only once every earlier request has gone.
  if (worker_.Running() && (queued_.size() == 1 || queued_[queued_.size() - 2].sent)) Send(queued_.back());
}

TransformOutcome TransformWorker::Next() {
  if (queued_.empty()) return {};
  const Request request = queued_.front();
  if (!worker_.Running()) {
    const TransformOutcome compiled = Begin();
    if (!compiled.succeeded) {
      queued_.pop_front();
      return compiled;
    }
  }
  for (Request& later : queued_) {
    if (!Send(later)) break;
  }
  queued_.pop_front();
  return Hear(request.input);
}

TransformOutcome TransformWorker::Transform(TextView inputPath, TextView writtenPath, TextView outputPath) {
  Queue(inputPath, writtenPath, outputPath);
  return Next();
}

// The answer to the oldest request sent.
TransformOutcome TransformWorker::Hear(TextView about) {
  std::vector<Text> fields;
  const WorkerProcess::Heard heard = worker_.Receive(fields, stop_);
  if (heard == WorkerProcess::Heard::kMessage && !fields.empty() && fields[0] == kDone) return {true, false, {}};
  if (heard == WorkerProcess::Heard::kMessage && fields.size() == 2 &&
      (fields[0] == kFailed || fields[0] == kFormat || fields[0] == kSchema || fields[0] == kUnusable)) {
    TransformOutcome failed{false, false, fields[1]};
    if (fields[0] == kFormat) failed.mismatch = TransformOutcome::Mismatch::kFormat;
    if (fields[0] == kSchema) failed.mismatch = TransformOutcome::Mismatch::kSchema;
    if (fields[0] == kUnusable) failed.mismatch = TransformOutcome::Mismatch::kUnusableSchema;
    return failed;
  }
  Ended();
  if (heard == WorkerProcess::Heard::kStopped) return {false, true, {}};
  return {false, false, WorkerEndedReason(about)};
}

namespace {

bool Answer(HANDLE out, const TransformOutcome& outcome) {
  TextView kind = kFailed;
  if (outcome.mismatch == TransformOutcome::Mismatch::kFormat) kind = kFormat;
  if (outcome.mismatch == TransformOutcome::Mismatch::kSchema) kind = kSchema;
  if (outcome.mismatch == TransformOutcome::Mismatch::kUnusableSchema) kind = kUnusable;
  const std::vector<Text> fields =
      outcome.succeeded ? std::vector<Text>{Text(kDone)} : std::vector<Text>{Text(kind), outcome.reason};
  const std::string bytes = FrameMessage(fields);
  DWORD written = 0;
  return WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace

int ServeTransformations() {
  // Before the libraries allocate anything: this process is theirs.
  UseLibraryMemoryPools();
  // A file's documents are freed once its outcome is told.
  HoldDocumentsLetGo();
  // A fault in the library ends this process without a dialog; the program tells the user.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE), out = GetStdHandle(STD_OUTPUT_HANDLE);
  std::optional<CompiledStylesheet> stylesheet;
  FormatSchemas schemas;  // for the processor's files
  std::string received;
  std::vector<Text> request;
  char buffer[4096];
  for (;;) {
    const FrameState state = TakeMessage(received, request);
    if (state == FrameState::kBroken) return 2;
    if (state == FrameState::kIncomplete) {
      DWORD read = 0;
      if (!ReadFile(in, buffer, sizeof buffer, &read, nullptr) || read == 0) return 0;  // the program let go
      received.append(buffer, read);
      continue;
    }
    TransformOutcome outcome;
    if (request.size() == 2 && request[0] == kCompile) {
      stylesheet.reset();
      bool unusableSchema = false;
      stylesheet = CompiledStylesheet::Compile(request[1], outcome.reason, unusableSchema);
      outcome.succeeded = stylesheet.has_value();
      if (unusableSchema) outcome.mismatch = TransformOutcome::Mismatch::kUnusableSchema;
    } else if (request.size() == 2 && request[0] == kSchemas) {
      schemas = FormatSchemas();
      outcome.succeeded = schemas.Compile(FullPath(request[1]), outcome.reason);
      if (!outcome.succeeded) outcome.mismatch = TransformOutcome::Mismatch::kUnusableSchema;
    } else if (request.size() == 3 && request[0] == kCheck) {
      outcome = CheckFormat(schemas, request[2], request[1] == kResult);
    } else if (request.size() == 4 && request[0] == kTransform && stylesheet) {
      outcome = TransformFile(*stylesheet, request[1], request[2], request[3]);
    } else {
      return 2;
    }
    if (!Answer(out, outcome)) return 0;
    FreeHeldDocuments();
  }
}

}  // namespace rt
