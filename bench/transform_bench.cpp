// The built-in transformation through the system XML library, measured in this process:
//
//   transform_bench file <input> <stylesheet> <output>
//       one transformation: milliseconds, and the private memory before and at its peak;
//   transform_bench batch <stylesheet> <output directory> <input>...
//       the stylesheet compiled once, then every input: milliseconds per file.
//
// scripts/bench makes the inputs and runs xsltproc on the same files as the reference.
#include <windows.h>
// After windows.h, which it builds on.
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "transform/xml_transform.h"

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  const rt::ComThreadScope com;
  if (mode == L"file" && argc == 5) {
    double before = 0, peak = 0;
    PrivateMemory(before, peak);
    const Clock::time_point start = Clock::now();
    const rt::TransformOutcome outcome = rt::TransformFile(T(argv[2]), T(argv[3]), T(argv[4]));
    const double elapsed = MillisecondsSince(start);
    double after = 0;
    PrivateMemory(after, peak);
    if (!outcome.succeeded) {
      std::fprintf(stderr, "transformation failed\n");
      return 1;
    }
    std::printf("%.1f ms, private %.0f KiB before, peak %.0f KiB\n", elapsed, before, peak);
    return 0;
  }
  if (mode == L"batch" && argc > 4) {
    rt::Text reason;
    const Clock::time_point start = Clock::now();
    const auto stylesheet = rt::CompiledStylesheet::Compile(T(argv[2]), reason);
    if (!stylesheet) return 1;
    const double compiled = MillisecondsSince(start);
    const int files = argc - 4;
    for (int i = 4; i < argc; ++i) {
      const std::wstring output = std::wstring(argv[3]) + L"\\out" + std::to_wstring(i) + L".xml";
      if (!rt::TransformFile(*stylesheet, T(argv[i]), T(output.c_str())).succeeded) return 1;
    }
    const double total = MillisecondsSince(start);
    std::printf("%d files with the stylesheet compiled once: %.1f ms in all (compiling %.1f ms), %.2f ms per file\n",
                files, total, compiled, (total - compiled) / files);
    return 0;
  }
  std::fprintf(stderr,
               "usage: transform_bench file <input> <stylesheet> <output> | batch <stylesheet> <dir> <input>...\n");
  return 2;
}
