#include <optional>
#include <vector>

#include "runtime/system/file_facts.h"
#include "runtime/system/system_error.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/message_frames.h"
#include "transform/transform_worker.h"
#include "transform/xml_support/document_disposal.h"
#include "transform/xml_support/library_memory.h"
#include "transform/xslt/read_guard.h"
#include "transform/xslt/transform_reasons.h"

namespace rt {
namespace {

constexpr TextView kCompile = u"compile", kSchemas = u"schemas", kTransform = u"transform", kCheck = u"check",
                   kDone = u"done", kFailed = u"failed", kFormat = u"format", kSchema = u"schema",
                   kUnusable = u"unusable", kResult = u"result", kPreparing = u"preparing";

}  // namespace

bool StartTransformWorker(WorkerProcess& worker, TextView program, std::uint32_t& systemError) {
  return worker.Start(program, Concat({u" ", kTransformWorkerSwitch}), systemError);
}

TransformWorker::TransformWorker(const StopSignal& stop, Text program, WorkerProcess startedAhead)
    : stop_(stop), program_(std::move(program)), worker_(std::move(startedAhead)) {}

TransformWorker::~TransformWorker() { Ended(); }

void TransformWorker::Ended() { worker_.End(); }

TransformOutcome TransformWorker::Compile(TextView stylesheetPath, std::vector<Text> privateFiles) {
  return Prepare(Text(kCompile), stylesheetPath, std::move(privateFiles));
}

TransformOutcome TransformWorker::CompileSchemas(TextView stylesheetPath, std::vector<Text> privateFiles) {
  return Prepare(Text(kSchemas), stylesheetPath, std::move(privateFiles));
}

TransformOutcome TransformWorker::Prepare(Text request, TextView stylesheetPath, std::vector<Text> privateFiles) {
  stylesheetPath_ = Text(stylesheetPath);
  compileRequest_ = {std::move(request), stylesheetPath_};
  for (Text& path : privateFiles) compileRequest_.push_back(std::move(path));
  TransformOutcome prepared = Begin();
  prepared.notPrepared = !prepared.succeeded && !prepared.stopped;
  return prepared;
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
  const std::vector<Text>& fields = compileRequest_;
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
      return {false, false, PreparationEndedReason(stylesheetPath_)};
    }
  }
  return Hear(stylesheetPath_, true);
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

// The answer to the oldest request sent. While preparing, the worker tells which file it takes
// up, so that an end in the middle names it.
TransformOutcome TransformWorker::Hear(TextView about, bool preparing) {
  std::vector<Text> fields;
  Text prepared(about);
  WorkerProcess::Heard heard = worker_.Receive(fields, stop_);
  while (heard == WorkerProcess::Heard::kMessage && fields.size() == 2 && fields[0] == kPreparing) {
    prepared = fields[1];
    heard = worker_.Receive(fields, stop_);
  }
  if (heard == WorkerProcess::Heard::kMessage && !fields.empty() && fields[0] == kDone) return {true, false, {}};
  if (heard == WorkerProcess::Heard::kMessage && fields.size() == 2 &&
      (fields[0] == kFailed || fields[0] == kFormat || fields[0] == kSchema || fields[0] == kUnusable)) {
    TransformOutcome failed{false, false, fields[1]};
    if (fields[0] == kFormat) failed.mismatch = TransformOutcome::Mismatch::kFormat;
    if (fields[0] == kSchema) failed.mismatch = TransformOutcome::Mismatch::kSchema;
    failed.notPrepared = fields[0] == kUnusable;
    return failed;
  }
  Ended();
  if (heard == WorkerProcess::Heard::kStopped) return {false, true, {}};
  return {false, false, preparing ? PreparationEndedReason(prepared) : WorkerEndedReason(about)};
}

namespace {

bool Write(HANDLE out, const std::vector<Text>& fields) {
  const std::string bytes = FrameMessage(fields);
  DWORD written = 0;
  return WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

bool Answer(HANDLE out, const TransformOutcome& outcome) {
  TextView kind = kFailed;
  if (outcome.mismatch == TransformOutcome::Mismatch::kFormat) kind = kFormat;
  if (outcome.mismatch == TransformOutcome::Mismatch::kSchema) kind = kSchema;
  if (outcome.notPrepared) kind = kUnusable;
  return Write(out, outcome.succeeded ? std::vector<Text>{Text(kDone)} : std::vector<Text>{Text(kind), outcome.reason});
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
    const bool preparing = request.size() >= 2 && (request[0] == kCompile || request[0] == kSchemas);
    const auto tell = [out](TextView path) { Write(out, {Text(kPreparing), Text(path)}); };
    if (preparing) ReadGuard::KeepPrivate({request.begin() + 2, request.end()});
    if (preparing && request[0] == kCompile) {
      stylesheet.reset();
      bool unusableSchema = false;
      stylesheet = CompiledStylesheet::Compile(request[1], outcome.reason, unusableSchema, tell);
      outcome.succeeded = stylesheet.has_value();
      outcome.notPrepared = !outcome.succeeded;
    } else if (preparing) {
      schemas = FormatSchemas();
      outcome.succeeded = schemas.Compile(FullPath(request[1]), outcome.reason, tell);
      outcome.notPrepared = !outcome.succeeded;
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
