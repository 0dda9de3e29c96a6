// Start-up of the product beside a bare Win32 program that opens one window, started
// alternately in the same run: the time until the window shows and the program waits for
// input, and the memory it holds once it idles (its working set then, and the peak until then).
//
//   startup_bench [rounds] [--verbose] [--product FILE] [--baseline FILE]
//
// Defaults: 15 rounds each after one warm-up each, vexilate.exe against bare_window.exe,
// both found beside the benchmark. --verbose also lists the modules each program has loaded
// once its window shows; --product and --baseline compare other builds (to find what costs).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "bench/bench_child.h"
#include "bench/bench_figures.h"

namespace {

constexpr DWORD kShowTimeoutMs = 20000;
constexpr DWORD kCloseTimeoutMs = 5000;
// Memory is read once the program has idled for a moment after showing its window.
constexpr DWORD kIdleBeforeMemoryMs = 300;

struct Subject {
  std::string label;
  std::wstring program;
  std::vector<double> startMs{};
  std::vector<double> processorMs{};  // the program's own work until then, whatever the load
  std::vector<double> peakWorkingSet{};
  std::vector<double> workingSet{};
  std::vector<double> privateUsage{};
  std::vector<std::wstring> modules{};
  int failures = 0;
};

// One start of the program; with `record` false (the warm-up) only the module list is kept.
void Measure(Subject& subject, const std::wstring& directory, bool record) {
  bench::ChildProcess child(subject.program, directory);
  const double shownMs = child.WaitUntilShown(kShowTimeoutMs);
  if (shownMs < 0) {
    std::printf("  %s: no window within %lu ms (start error %lu)\n", subject.label.c_str(), kShowTimeoutMs,
                child.startError());
    ++subject.failures;
    return;
  }
  const double processorMs = child.ProcessorMilliseconds();
  Sleep(kIdleBeforeMemoryMs);
  const bench::MemoryFigures memory = child.Memory();
  if (record) {
    subject.startMs.push_back(shownMs);
    subject.processorMs.push_back(processorMs);
    subject.peakWorkingSet.push_back(static_cast<double>(memory.peakWorkingSet));
    subject.workingSet.push_back(static_cast<double>(memory.workingSet));
    subject.privateUsage.push_back(static_cast<double>(memory.privateUsage));
  } else {
    subject.modules = child.Modules();
  }
  if (!child.Close(kCloseTimeoutMs)) std::printf("  %s did not close by itself; it was ended\n", subject.label.c_str());
}

std::wstring Lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

std::wstring BaseName(const std::wstring& path) { return Lower(bench::FileName(path)); }

void PrintModules(const Subject& subject, const Subject& other) {
  std::printf("modules of %s once its window shows (%zu):\n", subject.label.c_str(), subject.modules.size());
  for (const auto& module : subject.modules) {
    const bool shared = std::any_of(other.modules.begin(), other.modules.end(),
                                    [&](const std::wstring& m) { return BaseName(m) == BaseName(module); });
    std::printf("  %s %s\n", shared ? " " : "+", bench::Utf8(module).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::wstring here = bench::ExecutableDirectory();
  int rounds = 15;
  bool verbose = false;
  std::wstring productFile = here + L"vexilate.exe";
  std::wstring baselineFile = here + L"bare_window.exe";
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else if (std::strcmp(argv[i], "--product") == 0 && hasValue) {
      productFile = bench::FromUtf8(argv[++i]);
    } else if (std::strcmp(argv[i], "--baseline") == 0 && hasValue) {
      baselineFile = bench::FromUtf8(argv[++i]);
    } else if ((rounds = std::atoi(argv[i])) <= 0) {
      std::fprintf(stderr, "usage: startup_bench [rounds] [--verbose] [--product FILE] [--baseline FILE]\n");
      return 2;
    }
  }

  // Both programs start from the same fresh directory: the same disk, the same cache, and no
  // settings file of the build beside the product.
  bench::ScratchDirectory scratch;
  Subject product{bench::Utf8(bench::FileName(productFile)), scratch.Copy(productFile)};
  Subject bare{bench::Utf8(bench::FileName(baselineFile)), scratch.Copy(baselineFile)};
  if (product.program.empty() || bare.program.empty() || product.label == bare.label) {
    std::fprintf(stderr, "cannot copy %s and %s into a directory of their own\n", bench::Utf8(productFile).c_str(),
                 bench::Utf8(baselineFile).c_str());
    return 2;
  }

  Measure(product, scratch.path(), false);
  Measure(bare, scratch.path(), false);
  if (verbose) {
    PrintModules(product, bare);
    PrintModules(bare, product);
  }
  for (int round = 0; round < rounds; ++round) {
    // Alternate which goes first, so that neither always follows the other's exit.
    Subject& first = round % 2 == 0 ? product : bare;
    Subject& second = round % 2 == 0 ? bare : product;
    Measure(first, scratch.path(), true);
    Measure(second, scratch.path(), true);
    if (verbose) {
      std::printf("round %d: %s %s ms, %s %s ms\n", round + 1, product.label.c_str(),
                  product.startMs.empty() ? "-" : bench::Fixed(product.startMs.back(), 1).c_str(), bare.label.c_str(),
                  bare.startMs.empty() ? "-" : bench::Fixed(bare.startMs.back(), 1).c_str());
    }
  }

  // The median is the figure; the best start shows the cost when nothing else on the machine
  // competes for the processor, and the processor time the program's own work under any load.
  std::printf("start-up until the window shows and waits for input, %d rounds each:\n", rounds);
  for (const Subject* subject : {&product, &bare}) {
    std::printf("  %-15s median %s ms, best %s ms, worst %s ms; processor time median %s ms\n", subject->label.c_str(),
                bench::Fixed(bench::Median(subject->startMs), 1).c_str(),
                bench::Fixed(bench::Best(subject->startMs), 1).c_str(),
                bench::Fixed(bench::Worst(subject->startMs), 1).c_str(),
                bench::Fixed(bench::Median(subject->processorMs), 0).c_str());
  }
  std::printf("  ratio %s / %s: start-up %s (best %s), processor time %s\n", product.label.c_str(), bare.label.c_str(),
              bench::RatioText(bench::Median(product.startMs), bench::Median(bare.startMs)).c_str(),
              bench::RatioText(bench::Best(product.startMs), bench::Best(bare.startMs)).c_str(),
              bench::RatioText(bench::Median(product.processorMs), bench::Median(bare.processorMs)).c_str());

  std::printf("memory %lu ms after the window shows (median):\n", kIdleBeforeMemoryMs);
  for (const Subject* subject : {&product, &bare}) {
    std::printf("  %-15s working set %s, peak working set %s, private bytes %s\n", subject->label.c_str(),
                bench::Mebibytes(bench::Median(subject->workingSet)).c_str(),
                bench::Mebibytes(bench::Median(subject->peakWorkingSet)).c_str(),
                bench::Mebibytes(bench::Median(subject->privateUsage)).c_str());
  }
  std::printf("  ratio %s / %s: working set %s, peak working set %s, private bytes %s\n", product.label.c_str(),
              bare.label.c_str(),
              bench::RatioText(bench::Median(product.workingSet), bench::Median(bare.workingSet)).c_str(),
              bench::RatioText(bench::Median(product.peakWorkingSet), bench::Median(bare.peakWorkingSet)).c_str(),
              bench::RatioText(bench::Median(product.privateUsage), bench::Median(bare.privateUsage)).c_str());
  return product.failures + bare.failures == 0 ? 0 : 1;
}
