// A batch of many good files with the stand-in processor, beside a bare program that starts the
// processor as often in a row the same way (hidden, output captured, waited for each):
//
//   1. total time of the batch against the bare program's (target: ratio at most 1.05), both
//      counted from the first processor's start;
//   2. the longest time the main window takes to answer a message while the batch runs
//      (target: under 50 ms);
//   3. private memory after 200 files and after 1,000, in batches of 200 (target: growth under
//      1 KiB per file);
//   4. from Cancel until the report shows, while the processor hangs (target: under 1 s).
//
// With --quiet, a quiet run (`vexilate.exe /quiet <folder>`, its lines going nowhere, as from a
// scheduler) of the files of one folder instead, against the bare program on the same files,
// the two started alternately, one warm-up each:
//
//   5. total time of the quiet run against the bare program's (target: ratio at most 1.00),
//      both counted from the program's start to its end: the quiet run is a whole command, and
//      its start-up, settings and journal are part of what it costs; shown beside it, both
//      counted from the processor's first start, and the part before that.
//
//   batch_bench [files per batch] [batches]     (defaults: 200, 5)
//   batch_bench --quiet [files] [rounds]        (defaults: 200, 5)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/batch_names.h"
#include "bench/bench_child.h"
#include "bench/bench_figures.h"
#include "bench/conversion_layout.h"
#include "bench/dialog_program.h"
#include "tests/driver/driver_error.h"
#include "tests/driver/file_dialogs.h"
#include "tests/driver/launch_record.h"

namespace {

using bench::Clock;
using bench::MillisecondsSince;

constexpr wchar_t kReportTitle[] = L"Отчёт о конвертации";
constexpr wchar_t kProgressTitle[] = L"Конвертация файлов";
constexpr int kCancelRounds = 5;

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Waits for the processor's first start of this run: its record file appears.
Clock::time_point FirstStart(const std::wstring& records) {
  const Clock::time_point limit = Clock::now() + std::chrono::seconds(60);
  while (!FileExists(records)) {
    if (Clock::now() > limit) throw driver::DriverError(L"The processor never started");
    Sleep(1);
  }
  return Clock::now();
}

// A program that starts the processor for many files, from its start and from the processor's
// first start, both until it has ended.
struct RunTimes {
  double fromStart = 0;
  double fromFirstProcessor = 0;
  DWORD exitCode = 0;
  std::size_t processorStarts = 0;
};

struct BatchFigures {
  double milliseconds = 0;
  double longestAnswer = 0;
};

// The product's directory with the stand-in processor and its stylesheet, the input files, and
// the programs that start the processor for many files without a window.
class ProcessorRuns {
 public:
  ProcessorRuns()
      : records_(layout_.ProductDirectory() + L"\\" + driver::kLaunchRecordFile),
        rules_(layout_.ProductDirectory() + L"\\" + driver::kBehaviourFile),
        processor_(layout_.ProductDirectory() + L"\\msxsl.exe") {
    if (!CopyFileW(driver::BesideExecutable(L"msxsl.exe").c_str(), processor_.c_str(), FALSE)) {
      throw driver::DriverError(L"Cannot copy the stand-in msxsl.exe beside the product");
    }
    driver::WriteTextFile(layout_.ProductDirectory() + L"\\qRec7to4.xsl", "<xsl:stylesheet version=\"1.0\"/>");
  }

  void MakeFiles(const std::wstring& directory, int count) const {
    driver::MakeDirectories(directory);
    for (int n = 1; n <= count; ++n) {
      driver::WriteTextFile(directory + L"\\" + bench::BatchName(n), "<?xml version=\"1.0\"?><d/>");
    }
  }
  std::wstring InputDirectory() const { return layout_.InputDirectory(); }
  // A folder of its own, beside the input directory that holds the file too short to convert.
  std::wstring QuietFolder() const { return layout_.ProductDirectory() + L"\\QUIET"; }

  RunTimes BareBatch(const std::wstring& input, int first, int count) {
    const std::wstring program = driver::BesideExecutable(L"bare_batch.exe");
    return Timed(program, L"\"" + processor_ + L"\" \"" + input + L"\" \"" + layout_.ProductDirectory() + L"\\OUT\" " +
                              std::to_wstring(first) + L" " + std::to_wstring(count));
  }

  RunTimes QuietRun(const std::wstring& target) { return Timed(layout_.Product(), L"/quiet \"" + target + L"\""); }

 protected:
  bench::ConversionLayout layout_;
  std::wstring records_;
  std::wstring rules_;
  std::wstring processor_;

 private:
  // Started in the product's directory with standard output and error going nowhere.
  RunTimes Timed(const std::wstring& program, const std::wstring& arguments) {
    DeleteFileW(records_.c_str());
    bench::ChildProcess run(program, layout_.ProductDirectory(), arguments, bench::ChildOutput::Nowhere);
    if (!run.started()) throw driver::DriverError(L"Cannot start " + program);
    const Clock::time_point first = FirstStart(records_);
    if (!run.Close(INFINITE)) throw driver::DriverError(L"Cannot wait for " + program);
    RunTimes times{run.MillisecondsSinceStart(), MillisecondsSince(first), run.ExitCode(), 0};
    times.processorStarts = driver::ReadLaunchRecords(records_).size();
    return times;
  }
};

class Bench : public ProcessorRuns {
 public:
  Bench() : product_("vexilate.exe", layout_.Product(), layout_.ProductDirectory(), bench::kConvertButtonId) {}

  // One batch of files first..first+count-1 through the file dialog, up to its report.
  BatchFigures ProductBatch(int first, int count) {
    DeleteFileW(records_.c_str());
    std::vector<std::wstring> names;
    for (int n = first; n < first + count; ++n) names.push_back(bench::BatchName(n));
    product_.Settle();
    driver::ChooseFilesInExplorerDialog(product_.PressForFileDialog().dialog, names, driver::Timeout{60'000});
    const Clock::time_point start = FirstStart(records_);
    BatchFigures figures;
    for (;;) {
      const Clock::time_point asked = Clock::now();
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(product_.window().handle(), WM_NULL, 0, 0, SMTO_NORMAL, 10'000, &ignored);
      figures.longestAnswer = std::max(figures.longestAnswer, MillisecondsSince(asked));
      if (HWND report = FindWindowW(L"#32770", kReportTitle)) {
        figures.milliseconds = MillisecondsSince(start);
        product_.Settle();
        driver::PressAndWaitUntilGone(driver::Window(report), IDOK);
        return figures;
      }
      Sleep(50);
    }
  }

  // Two files whose processor never ends: Cancel pressed once it runs, timed until the report
  // is visible.
  double CancelToReport() {
    DeleteFileW(records_.c_str());
    driver::WriteTextFile(rules_, driver::FormatBehaviours({{L"*", 0, driver::kForever, true, L"", L""}}));
    product_.Settle();
    driver::ChooseFilesInExplorerDialog(product_.PressForFileDialog().dialog,
                                        {bench::BatchName(1), bench::BatchName(2)}, driver::Timeout{60'000});
    FirstStart(records_);
    const Clock::time_point limit = Clock::now() + std::chrono::seconds(60);
    HWND progress = nullptr;
    while (!(progress = FindWindowW(L"#32770", kProgressTitle))) {
      if (Clock::now() > limit) throw driver::DriverError(L"No progress window");
      Sleep(1);
    }
    const Clock::time_point pressed = Clock::now();
    PostMessageW(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
    HWND report = nullptr;
    while (!(report = FindWindowW(L"#32770", kReportTitle)) || !IsWindowVisible(report)) {
      if (Clock::now() > limit) throw driver::DriverError(L"No report after Cancel");
      Sleep(1);
    }
    const double elapsed = MillisecondsSince(pressed);
    DeleteFileW(rules_.c_str());
    product_.Settle();
    driver::PressAndWaitUntilGone(driver::Window(report), IDOK);
    return elapsed;
  }

  double PrivateKiB() const { return static_cast<double>(product_.Memory().privateUsage) / 1024.0; }
  void Close() { product_.Close(); }

 private:
  bench::DialogProgram product_;
};

std::string Summary(const std::vector<double>& ms) {
  return "median " + bench::Fixed(bench::Median(ms), 0) + " ms, best " + bench::Fixed(bench::Best(ms), 0) +
         " ms, worst " + bench::Fixed(bench::Worst(ms), 0) + " ms";
}

struct QuietFigures {
  std::vector<double> fromStart, fromFirstProcessor, beforeFirstProcessor;
  int failures = 0;

  void Add(const RunTimes& times, int files, const char* label) {
    if (times.exitCode != 0 || times.processorStarts != static_cast<std::size_t>(files)) {
      std::printf("  %s: exit code %lu, %zu processor starts for %d files\n", label, times.exitCode,
                  times.processorStarts, files);
      ++failures;
    }
    fromStart.push_back(times.fromStart);
    fromFirstProcessor.push_back(times.fromFirstProcessor);
    beforeFirstProcessor.push_back(times.fromStart - times.fromFirstProcessor);
  }
};

int QuietBench(int files, int rounds) {
  ProcessorRuns runs;
  const std::wstring folder = runs.QuietFolder();
  runs.MakeFiles(folder, files);
  // One file each first, so that neither pays for the first load of its program and the journal
  // is there.
  runs.BareBatch(folder, 1, 1);
  runs.QuietRun(folder + L"\\" + bench::BatchName(1));
  QuietFigures quiet, bare;
  for (int round = 0; round < rounds; ++round) {
    // Each goes first in turn, so that neither always follows the other's exit.
    for (int step = 0; step < 2; ++step) {
      if ((round + step) % 2 == 0) {
        quiet.Add(runs.QuietRun(folder), files, "vexilate.exe /quiet");
      } else {
        bare.Add(runs.BareBatch(folder, 1, files), files, "bare program");
      }
    }
  }
  std::printf("a quiet run of %d good files in a folder, %d rounds each, alternately:\n", files, rounds);
  std::printf("  from the start to the end: vexilate.exe /quiet FOLDER %s\n", Summary(quiet.fromStart).c_str());
  std::printf("                              bare program             %s\n", Summary(bare.fromStart).c_str());
  std::printf("  ratio vexilate.exe /quiet / bare program: %s (best %s)\n",
              bench::RatioText(bench::Median(quiet.fromStart), bench::Median(bare.fromStart)).c_str(),
              bench::RatioText(bench::Best(quiet.fromStart), bench::Best(bare.fromStart)).c_str());
  std::printf(
      "  from the processor's first start to the end: vexilate.exe /quiet median %s ms, bare program %s ms, "
      "ratio %s\n",
      bench::Fixed(bench::Median(quiet.fromFirstProcessor), 0).c_str(),
      bench::Fixed(bench::Median(bare.fromFirstProcessor), 0).c_str(),
      bench::RatioText(bench::Median(quiet.fromFirstProcessor), bench::Median(bare.fromFirstProcessor)).c_str());
  std::printf("  before the processor's first start: vexilate.exe /quiet median %s ms, bare program %s ms\n",
              bench::Fixed(bench::Median(quiet.beforeFirstProcessor), 0).c_str(),
              bench::Fixed(bench::Median(bare.beforeFirstProcessor), 0).c_str());
  return quiet.failures + bare.failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool quiet = argc > 1 && std::strcmp(argv[1], "--quiet") == 0;
  if (quiet) {
    --argc;
    ++argv;
  }
  const int perBatch = argc > 1 ? std::atoi(argv[1]) : 200;
  const int batches = argc > 2 ? std::atoi(argv[2]) : 5;
  if (perBatch <= 0 || batches < (quiet ? 1 : 2)) {
    std::fprintf(stderr,
                 "usage: batch_bench [files per batch] [batches, at least 2]\n"
                 "       batch_bench --quiet [files] [rounds]\n");
    return 2;
  }
  try {
    if (quiet) return QuietBench(perBatch, batches);
    Bench bench;
    bench.MakeFiles(bench.InputDirectory(), perBatch * batches);
    const double bare = bench.BareBatch(bench.InputDirectory(), 1, perBatch).fromFirstProcessor;
    std::vector<double> memory;
    double first = 0, longestAnswer = 0;
    for (int batch = 0; batch < batches; ++batch) {
      const BatchFigures figures = bench.ProductBatch(1 + batch * perBatch, perBatch);
      if (batch == 0) first = figures.milliseconds;
      longestAnswer = std::max(longestAnswer, figures.longestAnswer);
      memory.push_back(bench.PrivateKiB());
    }
    std::vector<double> cancels;
    for (int round = 0; round < kCancelRounds; ++round) cancels.push_back(bench.CancelToReport());
    bench.Close();
    std::printf("a batch of %d good files: vexilate.exe %s ms, bare program starting the processor as often %s ms\n",
                perBatch, bench::Fixed(first, 0).c_str(), bench::Fixed(bare, 0).c_str());
    std::printf("ratio vexilate.exe / bare program: %s\n", bench::RatioText(first, bare).c_str());
    std::printf("longest answer of the main window to a message during %d batches: %s ms\n", batches,
                bench::Fixed(longestAnswer, 1).c_str());
    std::printf("private memory after each batch:");
    for (const double kib : memory) std::printf(" %s KiB", bench::Fixed(kib, 0).c_str());
    std::printf("\n");
    const int total = perBatch * batches;
    std::printf("private memory after %d files: %s KiB, after %d files: %s KiB, growth %s KiB per file\n", perBatch,
                bench::Fixed(memory.front(), 0).c_str(), total, bench::Fixed(memory.back(), 0).c_str(),
                bench::Fixed((memory.back() - memory.front()) / (total - perBatch), 3).c_str());
    std::printf("from Cancel to the report while the processor hangs, %d rounds: median %s ms, longest %s ms\n",
                kCancelRounds, bench::Fixed(bench::Median(cancels), 0).c_str(),
                bench::Fixed(*std::max_element(cancels.begin(), cancels.end()), 0).c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "batch_bench: %s\n", error.what());
    return 1;
  }
}
