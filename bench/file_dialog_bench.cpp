// The time from a press of Convert until the file dialog is visible, beside a bare program
// whose one button opens the same dialog, pressed alternately in the same run. The first press
// of each program loads the common dialog library and is reported apart from the later ones.
//
//   file_dialog_bench [rounds [presses]] [--verbose] [--baseline FILE]
//
// Defaults: 10 rounds after one warm-up round; each round starts both programs afresh, presses
// each once (the first press) and then `presses` more times (10). --verbose prints every
// press; --baseline compares another program whose button 1005 opens a file dialog (to find
// what costs).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <memory>
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

constexpr double kTarget = 1.10;

struct Subject {
  std::string label;
  std::wstring program;
  std::wstring directory;
  int buttonId;
  bool warnsOnCancel;  // the product tells the user that no file was chosen
  std::vector<double> firstMs{};
  std::vector<double> laterMs{};
  std::vector<std::wstring> loadedByFirstPress{};  // modules, for --verbose
};

// One press: the time until the dialog shows, then the dialog cancelled and the program idle.
// With `loaded`, also the modules that the press loaded (read once the dialog shows).
double Press(const Subject& subject, const bench::DialogProgram& program, std::vector<std::wstring>* loaded = nullptr) {
  program.Settle();
  const std::vector<std::wstring> before = loaded ? program.Modules() : std::vector<std::wstring>();
  const bench::DialogShown shown = program.PressForFileDialog();
  if (loaded) {
    for (const std::wstring& module : program.Modules()) {
      if (std::find(before.begin(), before.end(), module) == before.end()) loaded->push_back(module);
    }
  }
  driver::CancelDialog(shown.dialog);
  if (subject.warnsOnCancel) {
    const driver::MessageDialog message = driver::WaitForMessageDialog(program.processId(), bench::kWarningCaption);
    if (message.text != bench::kNoFileChosen) {
      throw driver::DriverError(L"Expected the warning \"" + std::wstring(bench::kNoFileChosen) + L"\", got \"" +
                                message.text + L"\"");
    }
    driver::PressMessageButton(message, 1);
  }
  return shown.milliseconds;
}

std::string Figures(const std::vector<double>& values) {
  if (values.empty()) return "no presses";
  return "median " + bench::Fixed(bench::Median(values), 1) + " ms (best " +
         bench::Fixed(*std::min_element(values.begin(), values.end()), 1) + ", worst " +
         bench::Fixed(*std::max_element(values.begin(), values.end()), 1) + ")";
}

std::string Verdict(const std::vector<double>& measured, const std::vector<double>& baseline) {
  if (measured.empty() || baseline.empty()) return "";
  return bench::Median(measured) <= kTarget * bench::Median(baseline) ? "within " + bench::Fixed(kTarget, 2)
                                                                      : "misses " + bench::Fixed(kTarget, 2);
}

void PrintFigures(const char* what, const Subject& product, const Subject& bare,
                  std::vector<double> Subject::*samples) {
  std::printf("%s:\n", what);
  for (const Subject* subject : {&product, &bare}) {
    std::printf("  %-21s %s\n", subject->label.c_str(), Figures(subject->*samples).c_str());
  }
  std::printf("  ratio %s / %s: %s (target: within %s; %s)\n", product.label.c_str(), bare.label.c_str(),
              bench::RatioText(bench::Median(product.*samples), bench::Median(bare.*samples)).c_str(),
              bench::Fixed(kTarget, 2).c_str(), Verdict(product.*samples, bare.*samples).c_str());
}

std::wstring BaseName(const std::wstring& path) {
  std::wstring name = bench::FileName(path);
  for (auto& c : name) c = static_cast<wchar_t>(towlower(c));
  return name;
}

// "+" marks a module that the other program's first press did not load.
void PrintLoadedModules(const Subject& subject, const Subject& other) {
  std::printf("modules that the first press of %s loaded (%zu):\n", subject.label.c_str(),
              subject.loadedByFirstPress.size());
  for (const std::wstring& module : subject.loadedByFirstPress) {
    const bool shared = std::any_of(other.loadedByFirstPress.begin(), other.loadedByFirstPress.end(),
                                    [&](const std::wstring& m) { return BaseName(m) == BaseName(module); });
    std::printf("  %s %s\n", shared ? " " : "+", bench::Utf8(module).c_str());
  }
}

int Run(int rounds, int presses, bool verbose, const std::wstring& baseline) {
  const bench::ConversionLayout layout(baseline);
  Subject product{"vexilate.exe", layout.Product(), layout.ProductDirectory(), bench::kConvertButtonId, true};
  Subject bare{bench::Utf8(bench::FileName(layout.BareProgram())), layout.BareProgram(), layout.InputDirectory(),
               bench::kBareOpenButtonId, false};

  // Round 0 is not counted: it brings the common dialog library and what it loads into the
  // file cache, which the first round would otherwise pay for alone.
  for (int round = 0; round <= rounds; ++round) {
    // Alternate which goes first, so that neither always follows the other.
    const bool productFirst = round % 2 == 0;
    Subject* order[2] = {productFirst ? &product : &bare, productFirst ? &bare : &product};
    std::unique_ptr<bench::DialogProgram> programs[2];
    for (int i = 0; i < 2; ++i) {
      programs[i] = std::make_unique<bench::DialogProgram>(order[i]->label, order[i]->program, order[i]->directory,
                                                           order[i]->buttonId);
    }
    for (int press = 0; press <= presses; ++press) {
      for (int k = 0; k < 2; ++k) {
        const int i = (press + k) % 2;
        const bool listModules = verbose && round == 1 && press == 0;
        const double ms = Press(*order[i], *programs[i], listModules ? &order[i]->loadedByFirstPress : nullptr);
        if (round == 0) continue;
        (press == 0 ? order[i]->firstMs : order[i]->laterMs).push_back(ms);
        if (verbose) {
          std::printf("round %d press %d: %s %s ms\n", round, press + 1, order[i]->label.c_str(),
                      bench::Fixed(ms, 1).c_str());
        }
      }
    }
    for (auto& program : programs) {
      if (!program->Close()) std::printf("  %s did not close by itself; it was ended\n", program->label().c_str());
    }
  }

  if (verbose) {
    PrintLoadedModules(product, bare);
    PrintLoadedModules(bare, product);
  }
  std::printf("press of the button until the file dialog is visible, %d round(s) of both programs:\n", rounds);
  PrintFigures("first press of each program (loads the common dialog library)", product, bare, &Subject::firstMs);
  PrintFigures(("later presses (" + std::to_string(presses) + " per round)").c_str(), product, bare, &Subject::laterMs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int numbers[2] = {10, 10};
  int given = 0;
  bool verbose = false;
  std::wstring baseline;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else if (std::strcmp(argv[i], "--baseline") == 0 && i + 1 < argc) {
      baseline = bench::FromUtf8(argv[++i]);
    } else if (given < 2 && (numbers[given++] = std::atoi(argv[i])) > 0) {
      continue;
    } else {
      std::fprintf(stderr, "usage: file_dialog_bench [rounds [presses]] [--verbose] [--baseline FILE]\n");
      return 2;
    }
  }
  try {
    return Run(numbers[0], numbers[1], verbose, baseline);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "file_dialog_bench: %s\n", error.what());
    return 1;
  }
}
