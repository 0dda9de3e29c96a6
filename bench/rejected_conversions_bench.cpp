// The product's memory over many rejected conversions in a row, beside a bare program that
// opens the same file dialog and picks the same file as often. Every conversion is the full
// round a person makes: press Convert, choose a file whose name is too short to hold a
// registration number, read the warning, press OK. Memory is the witness of a leak here: the
// platform reports no handle counts under Wine.
//
//   rejected_conversions_bench [conversions] [--verbose]
//
// Default: 100 conversions. --verbose prints the memory after every one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_child.h"
#include "bench/bench_figures.h"
#include "bench/conversion_layout.h"
#include "bench/dialog_program.h"
#include "tests/driver/driver_error.h"
#include "tests/driver/file_dialogs.h"
#include "tests/driver/message_dialog.h"

namespace {

// Conversions before the figures count: the first ones load libraries and fill caches.
constexpr int kWarmUp = 10;
constexpr int kCheckpoints[] = {kWarmUp, 50, 100};

struct Subject {
  std::string label;
  bool warns;  // the product rejects the file with a warning
  bench::DialogProgram* program;
  bench::MemoryFigures before{};
  std::vector<bench::MemoryFigures> after{};  // after each conversion
};

void Convert(const Subject& subject, const std::wstring& file) {
  subject.program->Settle();
  driver::ChooseFileInExplorerDialog(subject.program->PressForFileDialog().dialog, file);
  if (!subject.warns) return;
  const driver::MessageDialog message =
      driver::WaitForMessageDialog(subject.program->processId(), bench::kWarningCaption);
  if (message.text != bench::kNoRegistrationNumber) {
    throw driver::DriverError(L"Expected the warning \"" + std::wstring(bench::kNoRegistrationNumber) + L"\", got \"" +
                              message.text + L"\"");
  }
  driver::PressMessageButton(message, 1);
}

double KiB(std::uint64_t bytes) { return static_cast<double>(bytes) / 1024.0; }

std::string MemoryText(const bench::MemoryFigures& memory) {
  return "private " + bench::Fixed(KiB(memory.privateUsage), 0) + " KiB, working set " +
         bench::Fixed(KiB(memory.workingSet), 0) + " KiB";
}

std::string Slope(std::uint64_t from, std::uint64_t to, int conversions) {
  const double perConversion = (KiB(to) - KiB(from)) / conversions;
  std::string text = perConversion >= 0 ? "+" : "";
  return text.append(bench::Fixed(perConversion, 2)).append(" KiB");
}

void PrintFigures(const Subject& subject, const char* what) {
  const int count = static_cast<int>(subject.after.size());
  auto after = [&](int conversion) -> const bench::MemoryFigures& {
    return subject.after[static_cast<std::size_t>(conversion - 1)];
  };
  std::printf("  %s:\n", subject.label.c_str());
  std::printf("    started:            %s\n", MemoryText(subject.before).c_str());
  std::vector<int> shown;
  for (const int checkpoint : kCheckpoints) {
    if (checkpoint < count) shown.push_back(checkpoint);
  }
  shown.push_back(count);
  for (const int conversion : shown) {
    const std::string label = "after " + std::to_string(conversion) + ":";
    std::printf("    %-19s %s\n", label.c_str(), MemoryText(after(conversion)).c_str());
  }
  // From the end of the warm-up, and from each later checkpoint: a growth that fades out shows
  // as a smaller figure in the later span, a leak as the same one.
  for (const int from : shown) {
    if (from == count) break;
    std::printf("    growth from %d to %d: private %s, working set %s per %s\n", from, count,
                Slope(after(from).privateUsage, after(count).privateUsage, count - from).c_str(),
                Slope(after(from).workingSet, after(count).workingSet, count - from).c_str(), what);
  }
}

int Run(int conversions, bool verbose) {
  const bench::ConversionLayout layout;
  bench::DialogProgram product("vexilate.exe", layout.Product(), layout.ProductDirectory(), bench::kConvertButtonId);
  bench::DialogProgram bare("bare_file_dialog.exe", layout.BareProgram(), layout.InputDirectory(),
                            bench::kBareOpenButtonId);
  Subject subjects[] = {{product.label(), true, &product}, {bare.label(), false, &bare}};
  for (Subject& subject : subjects) {
    subject.program->Settle();
    subject.before = subject.program->Memory();
  }

  for (int conversion = 1; conversion <= conversions; ++conversion) {
    for (Subject& subject : subjects) {
      Convert(subject, layout.RejectedFile());
      subject.program->Settle();
      subject.after.push_back(subject.program->Memory());
      if (verbose) {
        std::printf("%d: %s %s\n", conversion, subject.label.c_str(), MemoryText(subject.after.back()).c_str());
      }
    }
  }

  std::printf("memory over %d rejected conversions in a row (private: commit charge; target: flat after %d):\n",
              conversions, kWarmUp);
  PrintFigures(subjects[0], "rejected conversion");
  std::printf("beside the same file picked as often in the bare program's dialog:\n");
  PrintFigures(subjects[1], "file picked");
  for (Subject& subject : subjects) {
    if (!subject.program->Close()) std::printf("  %s did not close by itself; it was ended\n", subject.label.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int conversions = 100;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else if ((conversions = std::atoi(argv[i])) <= 0) {
      std::fprintf(stderr, "usage: rejected_conversions_bench [conversions] [--verbose]\n");
      return 2;
    }
  }
  try {
    return Run(conversions, verbose);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "rejected_conversions_bench: %s\n", error.what());
    return 1;
  }
}
