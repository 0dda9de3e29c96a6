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
//   batch_bench [files per batch] [batches]     (defaults: 200, 5)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

struct BatchFigures {
  double milliseconds = 0;
  double longestAnswer = 0;
};

class Bench {
 public:
  Bench()
      : product_("vexilate.exe", layout_.Product(), layout_.ProductDirectory(), bench::kConvertButtonId),
        records_(layout_.ProductDirectory() + L"\\" + driver::kLaunchRecordFile),
        rules_(layout_.ProductDirectory() + L"\\" + driver::kBehaviourFile),
        processor_(layout_.ProductDirectory() + L"\\msxsl.exe") {
    if (!CopyFileW(driver::BesideExecutable(L"msxsl.exe").c_str(), processor_.c_str(), FALSE)) {
      throw driver::DriverError(L"Cannot copy the stand-in msxsl.exe beside the product");
    }
    driver::WriteTextFile(layout_.ProductDirectory() + L"\\qRec7to4.xsl", "<xsl:stylesheet version=\"1.0\"/>");
  }

  void MakeFiles(int count) const {
    for (int n = 1; n <= count; ++n) {
      driver::WriteTextFile(layout_.InputDirectory() + L"\\" + bench::BatchName(n), "<?xml version=\"1.0\"?><d/>");
    }
  }

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

  double BareBatch(int first, int count) {
    DeleteFileW(records_.c_str());
    const std::wstring program = driver::BesideExecutable(L"bare_batch.exe");
    std::wstring commandLine = L"\"" + program + L"\" \"" + processor_ + L"\" \"" + layout_.InputDirectory() +
                               L"\" \"" + layout_.ProductDirectory() + L"\\OUT\" " + std::to_wstring(first) + L" " +
                               std::to_wstring(count);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        layout_.ProductDirectory().c_str(), &startup, &process)) {
      throw driver::DriverError(L"Cannot start " + program);
    }
    const Clock::time_point start = FirstStart(records_);
    WaitForSingleObject(process.hProcess, INFINITE);
    const double elapsed = MillisecondsSince(start);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return elapsed;
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
  bench::ConversionLayout layout_;
  bench::DialogProgram product_;
  std::wstring records_;
  std::wstring rules_;
  std::wstring processor_;
};

}  // namespace

int main(int argc, char** argv) {
  const int perBatch = argc > 1 ? std::atoi(argv[1]) : 200;
  const int batches = argc > 2 ? std::atoi(argv[2]) : 5;
  if (perBatch <= 0 || batches < 2) {
    std::fprintf(stderr, "usage: batch_bench [files per batch] [batches, at least 2]\n");
    return 2;
  }
  try {
    Bench bench;
    bench.MakeFiles(perBatch * batches);
    const double bare = bench.BareBatch(1, perBatch);
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
