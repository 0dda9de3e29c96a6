// Processor time that a window's event loop uses while nobody touches the window, beside
// the same figure for a bare GetMessage loop measured in the same run.
//
//   idle_loop_bench [seconds [rounds]]     (defaults: 5 seconds, 3 rounds)
//
// Each program is started, left to settle once its window shows, then measured from outside
// over the idle interval with GetProcessTimes; nothing is sent to it meanwhile.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_child.h"
#include "bench/bench_figures.h"

namespace {

constexpr DWORD kShowTimeoutMs = 20000;
constexpr DWORD kCloseTimeoutMs = 5000;
// Painting and activation right after the window shows are start-up, not idling.
constexpr DWORD kSettleMs = 500;

struct Subject {
  const char* label;
  std::wstring program;
  double totalMs = 0;
  bool failed = false;
};

struct ProcessorFigures {
  double startUpMs = -1;  // up to the start of the idle interval: shows the measure works
  double idleMs = -1;     // over the idle interval
};

ProcessorFigures MeasureIdle(const Subject& subject, const std::wstring& directory, DWORD idleMs) {
  bench::ChildProcess child(subject.program, directory);
  if (!child.started()) {
    std::printf("  %s did not start (error %lu)\n", subject.label, child.startError());
    return {};
  }
  if (child.WaitUntilShown(kShowTimeoutMs) < 0) {
    std::printf("  %s showed no window within %lu ms\n", subject.label, kShowTimeoutMs);
    return {};
  }
  Sleep(kSettleMs);
  const double before = child.ProcessorMilliseconds();
  Sleep(idleMs);
  const double after = child.ProcessorMilliseconds();
  if (!child.Close(kCloseTimeoutMs)) std::printf("  %s did not close by itself; it was ended\n", subject.label);
  if (before < 0 || after < 0) return {};
  return {before, after - before};
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  if (seconds <= 0 || rounds <= 0) {
    std::fprintf(stderr, "usage: idle_loop_bench [seconds [rounds]]\n");
    return 2;
  }
  const auto idleMs = static_cast<DWORD>(seconds * 1000.0);

  const std::wstring here = bench::ExecutableDirectory();
  bench::ScratchDirectory scratch;
  // The product in a directory of its own, so that no settings file of the build is read.
  std::vector<Subject> subjects = {
      {"runtime window", here + L"runtime_window.exe"},
      {"vexilate.exe", scratch.Copy(here + L"vexilate.exe")},
      {"bare GetMessage loop", here + L"bare_window.exe"},
  };
  for (const auto& subject : subjects) {
    if (subject.program.empty()) {
      std::fprintf(stderr, "cannot copy vexilate.exe from %s\n", bench::Utf8(here).c_str());
      return 2;
    }
  }

  const std::string interval = bench::Fixed(seconds, 1) + " s";
  for (int round = 1; round <= rounds; ++round) {
    std::string line = "round " + std::to_string(round) + ", idle over " + interval + ":";
    for (auto& subject : subjects) {
      const ProcessorFigures used = MeasureIdle(subject, scratch.path(), idleMs);
      if (used.idleMs < 0) {
        subject.failed = true;
        line += std::string(" ") + subject.label + " failed;";
        continue;
      }
      subject.totalMs += used.idleMs;
      line += std::string(" ") + subject.label + " " + bench::Fixed(used.idleMs, 0) + " ms (start-up " +
              bench::Fixed(used.startUpMs, 0) + " ms);";
    }
    line.pop_back();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }

  const Subject& bare = subjects.back();
  std::printf("idle loop over %d x %s: ", rounds, interval.c_str());
  for (const auto& subject : subjects) {
    std::printf("%s %s ms%s", subject.label, subject.failed ? "failed" : bench::Fixed(subject.totalMs, 0).c_str(),
                &subject == &bare ? "\n" : ", ");
  }
  for (const auto& subject : subjects) {
    if (&subject == &bare) continue;
    const double measured = subject.failed ? -1 : subject.totalMs;
    std::printf("ratio %s / bare GetMessage loop: %s\n", subject.label,
                bench::RatioText(measured, bare.failed ? -1 : bare.totalMs).c_str());
  }
  bool failed = false;
  for (const auto& subject : subjects) failed = failed || subject.failed;
  return failed ? 1 : 0;
}
