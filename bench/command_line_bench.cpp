// A file given on the command line: the time from the product's start until the conversion of
// that file starts, beside the start-up of the product without arguments and of a bare Win32
// window; and the same file given to a quiet run (`vexilate.exe /quiet FILE`) against the
// window's start with it (target: ratio at most 1.00, the quiet run makes no window). All four
// are started in turn in the same directory in the same run.
//
//   command_line_bench [rounds] [--verbose]     (default 15 rounds each, after one warm-up each)
//
// The directory holds the product with a settings file naming an output directory, the
// stand-in msxsl.exe and one good document; the product is given that document's full path.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/batch_names.h"
#include "bench/bench_child.h"
#include "bench/bench_figures.h"
#include "bench/conversion_layout.h"
#include "tests/driver/driver_error.h"
#include "tests/driver/launch_record.h"
#include "tests/driver/test_files.h"

namespace {

constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kCloseTimeoutMs = 5000;
// The stand-in waits for this event before it writes its output and ends, so that it is still
// there to be asked when it was created.
constexpr wchar_t kGate[] = L"vexilate-command-line-bench-gate";

struct Figures {
  std::vector<double> milliseconds;
  std::vector<double> recordMilliseconds;  // only for the file: until the stand-in's record appears
  int failures = 0;
};

// The product started with the document: from CreateProcess until the processor it starts is
// created. The creation time comes from the system's process table and is compared with the
// system clock read just before CreateProcess, both on one clock to a fraction of a
// millisecond; the moment the stand-in's record appears comes later by the stand-in's own
// start-up and by the polling, so it is shown beside it only as a check.
class FileStart {
 public:
  FileStart() : gate_(CreateEventW(nullptr, TRUE, FALSE, kGate)) {
    const std::wstring directory = layout_.ProductDirectory();
    if (!CopyFileW(driver::BesideExecutable(L"msxsl.exe").c_str(), (directory + L"\\msxsl.exe").c_str(), FALSE)) {
      throw driver::DriverError(L"Cannot copy the stand-in msxsl.exe beside the product");
    }
    driver::WriteTextFile(directory + L"\\qRec7to4.xsl", "<xsl:stylesheet version=\"1.0\"/>");
    driver::WriteTextFile(directory + L"\\" + driver::kBehaviourFile,
                          driver::FormatBehaviours({{L"*", 0, 0, true, kGate, L""}}));
    driver::WriteTextFile(document_, "<?xml version=\"1.0\"?>\r\n<document/>\r\n");
  }
  ~FileStart() { CloseHandle(gate_); }
  FileStart(const FileStart&) = delete;
  FileStart& operator=(const FileStart&) = delete;

  const bench::ConversionLayout& layout() const { return layout_; }

  // A quiet run ends by itself once the file is converted; the window stays.
  void Measure(Figures& figures, bool record, bool quiet) {
    DeleteFileW(records_.c_str());
    ResetEvent(gate_);
    bench::ChildProcess product(layout_.Product(), layout_.ProductDirectory(),
                                (quiet ? L"/quiet \"" : L"\"") + document_ + L"\"",
                                quiet ? bench::ChildOutput::Nowhere : bench::ChildOutput::Inherited);
    const char* label = quiet ? "vexilate.exe /quiet with a file" : "vexilate.exe with a file";
    if (!product.started()) {
      return Fail(figures, label, "cannot be started (error " + std::to_string(product.startError()) + ")");
    }
    double recordMs = -1;
    for (;;) {
      if (driver::FileExists(records_)) {
        recordMs = product.MillisecondsSinceStart();
        break;
      }
      if (product.MillisecondsSinceStart() > kStartTimeoutMs) return Fail(figures, label, "started no processor");
      Sleep(1);
    }
    const driver::LaunchRecord launch = driver::WaitForLaunchRecords(records_, 1).front();
    HANDLE processor = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, launch.processId);
    FILETIME created{}, exited{}, kernel{}, user{};
    const bool known = processor && GetProcessTimes(processor, &created, &exited, &kernel, &user);
    SetEvent(gate_);
    if (processor) {
      WaitForSingleObject(processor, kCloseTimeoutMs);
      CloseHandle(processor);
    }
    if (!known) return Fail(figures, label, "started a processor whose creation time cannot be read");
    if (record) {
      figures.milliseconds.push_back(product.MillisecondsUntil(created));
      figures.recordMilliseconds.push_back(recordMs);
    }
    // The conversion has succeeded and told nothing; a window is there to be closed.
    if (!quiet) product.WaitUntilShown(kStartTimeoutMs);
    if (!product.Close(kCloseTimeoutMs)) std::printf("  %s did not close by itself; ended\n", label);
    if (quiet && product.ExitCode() != 0) Fail(figures, label, "ended with " + std::to_string(product.ExitCode()));
  }

 private:
  void Fail(Figures& figures, const char* label, const std::string& what) {
    std::printf("  %s %s\n", label, what.c_str());
    ++figures.failures;
  }

  bench::ConversionLayout layout_{driver::BesideExecutable(L"bare_window.exe")};
  std::wstring records_ = layout_.ProductDirectory() + L"\\" + driver::kLaunchRecordFile;
  std::wstring document_ = layout_.InputDirectory() + L"\\" + bench::BatchName(1);
  HANDLE gate_;
};

// A program started without arguments: until its window shows and waits for input.
void MeasureShown(const std::wstring& program, const std::wstring& directory, Figures& figures, bool record) {
  bench::ChildProcess child(program, directory);
  const double shownMs = child.WaitUntilShown(kStartTimeoutMs);
  if (shownMs < 0) {
    std::printf("  %s: no window within %lu ms\n", bench::Utf8(bench::FileName(program)).c_str(), kStartTimeoutMs);
    ++figures.failures;
    return;
  }
  if (record) figures.milliseconds.push_back(shownMs);
  if (!child.Close(kCloseTimeoutMs)) {
    std::printf("  %s did not close by itself; ended\n", bench::Utf8(bench::FileName(program)).c_str());
  }
}

std::string Summary(const std::vector<double>& ms) {
  return "median " + bench::Fixed(bench::Median(ms), 1) + " ms, best " + bench::Fixed(bench::Best(ms), 1) +
         " ms, worst " + bench::Fixed(bench::Worst(ms), 1) + " ms";
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 15;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else if ((rounds = std::atoi(argv[i])) <= 0) {
      std::fprintf(stderr, "usage: command_line_bench [rounds] [--verbose]\n");
      return 2;
    }
  }
  try {
    FileStart fileStart;
    const std::wstring directory = fileStart.layout().ProductDirectory();
    Figures withFile, plain, bare, quiet;
    const auto measure = [&](int which, bool record) {
      if (which == 0) fileStart.Measure(withFile, record, false);
      if (which == 1) MeasureShown(fileStart.layout().Product(), directory, plain, record);
      if (which == 2) MeasureShown(fileStart.layout().BareProgram(), directory, bare, record);
      if (which == 3) fileStart.Measure(quiet, record, true);
    };
    for (int which = 0; which < 4; ++which) measure(which, false);
    for (int round = 0; round < rounds; ++round) {
      // Each goes first, second, third and fourth in turn, so that none always follows the same exit.
      for (int step = 0; step < 4; ++step) measure((round + step) % 4, true);
      if (verbose) {
        const auto last = [](const Figures& f) {
          return f.milliseconds.empty() ? std::string("-") : bench::Fixed(f.milliseconds.back(), 1);
        };
        std::printf(
            "round %d: with a file %s ms, vexilate.exe %s ms, bare_window.exe %s ms, /quiet with a file %s ms\n",
            round + 1, last(withFile).c_str(), last(plain).c_str(), last(bare).c_str(), last(quiet).c_str());
      }
    }

    std::printf("from the start until the first conversion starts, for a file on the command line, %d rounds each:\n",
                rounds);
    std::printf("  vexilate.exe FILE: processor created: %s (its record written: median %s ms)\n",
                Summary(withFile.milliseconds).c_str(),
                bench::Fixed(bench::Median(withFile.recordMilliseconds), 1).c_str());
    std::printf("  vexilate.exe:      window shows:      %s\n", Summary(plain.milliseconds).c_str());
    std::printf("  bare_window.exe:   window shows:      %s\n", Summary(bare.milliseconds).c_str());
    std::printf("  ratio to vexilate.exe's start-up: %s (best %s); to bare_window.exe's: %s (best %s)\n",
                bench::RatioText(bench::Median(withFile.milliseconds), bench::Median(plain.milliseconds)).c_str(),
                bench::RatioText(bench::Best(withFile.milliseconds), bench::Best(plain.milliseconds)).c_str(),
                bench::RatioText(bench::Median(withFile.milliseconds), bench::Median(bare.milliseconds)).c_str(),
                bench::RatioText(bench::Best(withFile.milliseconds), bench::Best(bare.milliseconds)).c_str());
    std::printf("  beyond vexilate.exe's start-up: median %s ms\n",
                bench::Fixed(bench::Median(withFile.milliseconds) - bench::Median(plain.milliseconds), 1).c_str());
    std::printf("  vexilate.exe /quiet FILE: processor created: %s (its record written: median %s ms)\n",
                Summary(quiet.milliseconds).c_str(), bench::Fixed(bench::Median(quiet.recordMilliseconds), 1).c_str());
    std::printf("  ratio vexilate.exe /quiet FILE / vexilate.exe FILE, until the processor is created: %s (best %s)\n",
                bench::RatioText(bench::Median(quiet.milliseconds), bench::Median(withFile.milliseconds)).c_str(),
                bench::RatioText(bench::Best(quiet.milliseconds), bench::Best(withFile.milliseconds)).c_str());
    return withFile.failures + plain.failures + bare.failures + quiet.failures == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "command_line_bench: %s\n", error.what());
    return 1;
  }
}
