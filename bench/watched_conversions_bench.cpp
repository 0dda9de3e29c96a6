// Conversions whose processor the product watches to its end, with the stand-in processor:
//
//   1. processor time of the product while 10 processors sleep, beside a bare GetMessage loop
//      idling as long (target: equal, 0 ms: nothing polls);
//   2. the time from a failing processor's end until the product's warning is visible, beside
//      the time the same warning takes to show when Convert is pressed with no output
//      directory (the message's own display time);
//   3. handles and memory over many successful conversions in a row (target: flat).
//
//   watched_conversions_bench [conversions] [--verbose]     (default 100 conversions)
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
#include "tests/driver/message_dialog.h"

namespace {

using bench::Clock;
using bench::MillisecondsSince;

constexpr int kSleepers = 10;
constexpr DWORD kIdleMs = 5000;
constexpr int kLatencyRounds = 10;
constexpr int kWarmUp = 10;
constexpr wchar_t kGate[] = L"vexilate-bench-gate";

// Handles and private memory after each conversion.
struct Series {
  std::vector<std::size_t> handles;
  std::vector<std::uint64_t> memory;

  void Add(const bench::DialogProgram& program) {
    handles.push_back(program.Handles());
    memory.push_back(program.Memory().privateUsage);
  }
  void Print(const char* label, int conversions) const {
    const auto at = [&](int n) { return static_cast<std::size_t>(std::min(n, conversions) - 1); };
    std::printf("  %s:", label);
    for (const int n : {kWarmUp, conversions / 2, conversions}) {
      std::printf(" after %d: %zu handles, private %s KiB;", n, handles[at(n)],
                  bench::Fixed(static_cast<double>(memory[at(n)]) / 1024.0, 0).c_str());
    }
    const double span = conversions - kWarmUp;
    const double handleGrowth =
        (static_cast<double>(handles[at(conversions)]) - static_cast<double>(handles[at(kWarmUp)])) / span;
    const double memoryGrowth =
        (static_cast<double>(memory[at(conversions)]) - static_cast<double>(memory[at(kWarmUp)])) / 1024.0 / span;
    std::printf(" growth per conversion from %d: %s handles, %s KiB\n", kWarmUp, bench::Fixed(handleGrowth, 2).c_str(),
                bench::Fixed(memoryGrowth, 2).c_str());
  }
};

class Bench {
 public:
  Bench()
      : product_("vexilate.exe", layout_.Product(), layout_.ProductDirectory(), bench::kConvertButtonId),
        records_(layout_.ProductDirectory() + L"\\" + driver::kLaunchRecordFile),
        rules_(layout_.ProductDirectory() + L"\\" + driver::kBehaviourFile) {
    const std::wstring processor = layout_.ProductDirectory() + L"\\msxsl.exe";
    if (!CopyFileW(driver::BesideExecutable(L"msxsl.exe").c_str(), processor.c_str(), FALSE)) {
      throw driver::DriverError(L"Cannot copy the stand-in msxsl.exe beside the product");
    }
    driver::WriteTextFile(layout_.ProductDirectory() + L"\\qRec7to4.xsl", "<xsl:stylesheet version=\"1.0\"/>");
  }

  void Tell(const std::vector<driver::DoubleBehaviour>& rules) const {
    driver::WriteTextFile(rules_, driver::FormatBehaviours(rules));
  }

  // One conversion as a person makes it; returns the processor's launch record.
  driver::LaunchRecord Convert(int n) {
    const std::wstring file = layout_.InputDirectory() + L"\\" + bench::BatchName(n);
    if (!driver::FileExists(file)) driver::WriteTextFile(file, "<?xml version=\"1.0\"?>\r\n<document/>\r\n");
    product_.Settle();
    driver::ChooseFileInExplorerDialog(product_.PressForFileDialog().dialog, file);
    const auto records = driver::WaitForLaunchRecords(records_, ++started_);
    return records.back();
  }

  void IdleWithSleepers() {
    Tell({{L"*", 0, 3 * kIdleMs, true, L"", L""}});
    for (int n = 1; n <= kSleepers; ++n) Convert(n);
    product_.Settle();
    const double before = product_.ProcessorMilliseconds();
    Sleep(kIdleMs);
    const double productMs = product_.ProcessorMilliseconds() - before;

    bench::ChildProcess bare(driver::BesideExecutable(L"bare_window.exe"), layout_.ProductDirectory());
    bare.WaitUntilShown(20000);
    Sleep(500);
    const double bareBefore = bare.ProcessorMilliseconds();
    Sleep(kIdleMs);
    const double bareMs = bare.ProcessorMilliseconds() - bareBefore;
    bare.Close(5000);
    std::printf(
        "idle over %.1f s with %d processors running: vexilate.exe %s ms (%s ms before, start-up and "
        "conversions), bare GetMessage loop %s ms\n",
        kIdleMs / 1000.0, kSleepers, bench::Fixed(productMs, 0).c_str(), bench::Fixed(before, 0).c_str(),
        bench::Fixed(bareMs, 0).c_str());
    std::printf("ratio vexilate.exe / bare GetMessage loop: %s\n", bench::RatioText(productMs, bareMs).c_str());
    Sleep(3 * kIdleMs);  // the sleepers end, successfully
    product_.Settle();
  }

  // From a processor's end until the warning is visible; and the warning's own display time.
  void MessageLatency() {
    HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, kGate);
    Tell({{L"*", 1, 0, false, kGate, L""}});
    std::vector<double> afterEnd, ownDisplay;
    for (int round = 0; round < kLatencyRounds; ++round) {
      ResetEvent(gate);
      const driver::LaunchRecord record = Convert(100 + round);
      HANDLE processor = OpenProcess(SYNCHRONIZE, FALSE, record.processId);
      product_.Settle();
      SetEvent(gate);
      WaitForSingleObject(processor, 10000);
      const Clock::time_point ended = Clock::now();
      CloseHandle(processor);
      afterEnd.push_back(WaitForWarning(ended));

      // The same warning's display time after a press: Convert with no output directory.
      const driver::Window pathOut = product_.window().Child(1004);
      const std::wstring kept = pathOut.Text();
      pathOut.SetText(L" ");
      product_.Settle();
      const Clock::time_point pressed = Clock::now();
      product_.window().Child(bench::kConvertButtonId).Click();
      ownDisplay.push_back(WaitForWarning(pressed));
      pathOut.SetText(kept);
    }
    CloseHandle(gate);
    std::sort(afterEnd.begin(), afterEnd.end());
    std::sort(ownDisplay.begin(), ownDisplay.end());
    const auto median = [](const std::vector<double>& v) { return v[v.size() / 2]; };
    std::printf("failure warning visible after the processor's end: median %s ms, longest %s ms (%d rounds)\n",
                bench::Fixed(median(afterEnd), 1).c_str(), bench::Fixed(afterEnd.back(), 1).c_str(), kLatencyRounds);
    std::printf("the same warning after a press of Convert: median %s ms, longest %s ms\n",
                bench::Fixed(median(ownDisplay), 1).c_str(), bench::Fixed(ownDisplay.back(), 1).c_str());
    std::printf("beyond the warning's own display time: median %s ms\n",
                bench::Fixed(median(afterEnd) - median(ownDisplay), 1).c_str());
  }

  // Beside the bare program picking the same file as often: under Wine each accepted open
  // dialog keeps a handle of its own, in any program.
  void Flatness(int conversions, bool verbose) {
    Tell({});
    bench::DialogProgram bare("bare_file_dialog.exe", layout_.BareProgram(), layout_.InputDirectory(),
                              bench::kBareOpenButtonId);
    Series product, baseline;
    for (int n = 1; n <= conversions; ++n) {
      const driver::LaunchRecord record = Convert(1000 + n);
      HANDLE processor = OpenProcess(SYNCHRONIZE, FALSE, record.processId);
      if (processor) {
        WaitForSingleObject(processor, 10000);
        CloseHandle(processor);
      }
      product_.Settle();
      product.Add(product_);
      bare.Settle();
      driver::ChooseFileInExplorerDialog(bare.PressForFileDialog().dialog,
                                         layout_.InputDirectory() + L"\\" + bench::BatchName(1000 + n));
      bare.Settle();
      baseline.Add(bare);
      if (verbose) std::printf("%d: %zu handles, bare %zu\n", n, product.handles.back(), baseline.handles.back());
    }
    std::printf("over %d successful conversions, each watched to its end:\n", conversions);
    product.Print("vexilate.exe", conversions);
    std::printf("beside the same file picked as often in the bare program's dialog:\n");
    baseline.Print("bare program", conversions);
    bare.Close();
  }

  void Close() { product_.Close(); }

 private:
  double WaitForWarning(Clock::time_point from) const {
    for (;;) {
      for (const driver::Window& window : driver::TopLevelWindows(product_.processId())) {
        if (window.IsVisible() && window.Text() == bench::kWarningCaption) {
          const double elapsed = MillisecondsSince(from);
          driver::PressMessageButton(driver::WaitForMessageDialog(product_.processId(), bench::kWarningCaption), 1);
          return elapsed;
        }
      }
      if (MillisecondsSince(from) > 10000) throw driver::DriverError(L"No warning within 10 s");
      Sleep(1);
    }
  }

  bench::ConversionLayout layout_;
  bench::DialogProgram product_;
  std::wstring records_;
  std::wstring rules_;
  std::size_t started_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  int conversions = 100;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else if ((conversions = std::atoi(argv[i])) <= kWarmUp) {
      std::fprintf(stderr, "usage: watched_conversions_bench [conversions over %d] [--verbose]\n", kWarmUp);
      return 2;
    }
  }
  try {
    Bench bench;
    bench.IdleWithSleepers();
    bench.MessageLatency();
    bench.Flatness(conversions, verbose);
    bench.Close();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "watched_conversions_bench: %s\n", error.what());
    return 1;
  }
}
