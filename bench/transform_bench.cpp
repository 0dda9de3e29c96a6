// The built-in transformation through the system XML library, as the program does it (in its
// worker process, vexilate.exe beside this program) beside the same work done in this process,
// measured in the same run:
//
//   transform_bench file <input> <stylesheet> <output>
//       one transformation each way: milliseconds; in this process also the private memory
//       before and at its peak;
//   transform_bench batch <stylesheet> <output directory> <input>...
//       the stylesheet compiled once, then every input, each way: milliseconds in all and per file,
//       and in this process those of the compiling;
//   transform_bench check <schema> <file>
//       the file checked against the schema: milliseconds.
//
// scripts/bench makes the inputs and runs xsltproc on the same files as the reference.
#include "runtime/system/win32_api.h"
// After windows.h, which it builds on.
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "runtime/system/file_facts.h"
#include "transform/transform_worker.h"
#include "transform/xml_support/library_memory.h"
#include "transform/xslt/schema_check.h"

namespace {

using bench::Clock;
using bench::MillisecondsSince;

double KiB(SIZE_T bytes) { return static_cast<double>(bytes) / 1024.0; }

// Windows gives the commit charge in PrivateUsage, Wine only in PagefileUsage.
void PrivateMemory(double& now, double& peak) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  now = KiB(counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage);
  peak = KiB(counters.PeakPagefileUsage);
}

rt::Text T(const wchar_t* text) { return rt::Text(reinterpret_cast<const char16_t*>(text)); }

rt::Text Product() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory(path);
  return T((directory.substr(0, directory.find_last_of(L'\\') + 1) + L"vexilate.exe").c_str());
}

// Written beside the output, then put in its place, as the program does.
bool Place(const rt::Text& written, const rt::Text& output) {
  return MoveFileExW(rt::Wide(written), rt::Wide(output), MOVEFILE_REPLACE_EXISTING) != 0;
}

// Compiles, then transforms each input into output<n>.xml in the directory; milliseconds in all,
// and those of the compiling.
double InProcess(const rt::Text& stylesheetPath, const rt::Text& directory, const std::vector<rt::Text>& inputs,
                 double* compiling = nullptr) {
  const Clock::time_point start = Clock::now();
  rt::Text reason;
  bool unusableSchema = false;
  const auto stylesheet = rt::CompiledStylesheet::Compile(stylesheetPath, reason, unusableSchema);
  if (!stylesheet) return -1;
  if (compiling) *compiling = MillisecondsSince(start);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const rt::Text output = directory + u"\\out" + rt::DecimalText(i) + u".xml";
    if (!rt::TransformFile(*stylesheet, inputs[i], output + u".tmp", output).succeeded ||
        !Place(output + u".tmp", output))
      return -1;
  }
  return MillisecondsSince(start);
}

double InWorker(const rt::Text& stylesheetPath, const rt::Text& directory, const std::vector<rt::Text>& inputs) {
  const Clock::time_point start = Clock::now();
  const rt::StopSignal stop;
  rt::TransformWorker worker(stop, Product());
  if (!worker.Compile(stylesheetPath).succeeded) return -1;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const rt::Text output = directory + u"\\out" + rt::DecimalText(i) + u".xml";
    if (!worker.Transform(inputs[i], output + u".tmp", output).succeeded || !Place(output + u".tmp", output)) return -1;
  }
  return MillisecondsSince(start);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // In this process the libraries' memory is the worker's.
  rt::UseLibraryMemoryPools();
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"file" && argc == 5) {
    const rt::Text output = T(argv[4]);
    const rt::Text directory = output.substr(0, output.find_last_of(u'\\'));
    const std::vector<rt::Text> inputs{T(argv[2])};
    const double worker = InWorker(T(argv[3]), directory, inputs);
    double before = 0, peak = 0;
    PrivateMemory(before, peak);
    const double here = InProcess(T(argv[3]), directory, inputs);
    double after = 0;
    PrivateMemory(after, peak);
    if (worker < 0 || here < 0) {
      std::fprintf(stderr, "transformation failed\n");
      return 1;
    }
    std::printf(
        "%.1f ms in the worker, %.1f ms in process (%.2f x); in process private %.0f KiB before, peak %.0f KiB\n",
        worker, here, worker / here, before, peak);
    return 0;
  }
  if (mode == L"batch" && argc > 4) {
    std::vector<rt::Text> inputs;
    for (int i = 4; i < argc; ++i) inputs.push_back(T(argv[i]));
    double compiling = 0;
    const double here = InProcess(T(argv[2]), T(argv[3]), inputs, &compiling);
    const double worker = InWorker(T(argv[2]), T(argv[3]), inputs);
    if (worker < 0 || here < 0) return 1;
    const double files = static_cast<double>(inputs.size());
    std::printf(
        "%zu files with the stylesheet compiled once: in the worker %.1f ms in all (%.2f ms per file), in process "
        "%.1f ms (%.2f ms per file, compiling %.1f ms); the worker costs %.1f %% more\n",
        inputs.size(), worker, worker / files, here, here / files, compiling, (worker / here - 1) * 100);
    return 0;
  }
  if (mode == L"check" && argc == 4) {
    const Clock::time_point start = Clock::now();
    rt::Text reason;
    const auto schema = rt::CompiledSchema::Compile(rt::FullPath(T(argv[2])), reason);
    if (!schema) return 1;
    const double compiling = MillisecondsSince(start);
    const std::optional<rt::Text> problems = schema->Problems(rt::FullPath(T(argv[3])));
    std::printf("%.1f ms checking (compiling %.1f ms), %s\n", MillisecondsSince(start) - compiling, compiling,
                problems ? "does not match" : "matches");
    return 0;
  }
  std::fprintf(stderr,
               "usage: transform_bench file <input> <stylesheet> <output> | batch <stylesheet> <dir> <input>... | "
               "check <schema> <file>\n");
  return 2;
}
