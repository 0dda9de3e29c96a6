// The journal read by the product, beside the same steps with no journal at all, alternately in the
// same run, over 20,000 input files of which half were converted:
//
//   1. «Новые файлы» from the click until the question shows, with a journal of 1,000,000 lines
//      (target: at most 1 s), and the program's memory then beside the journal's size
//      (target: growth at most the journal's size);
//   2. «Журнал» from the click until its window shows (target: at most 500 ms);
//   3. start-up with the journal beside the program: it is not read at start;
//
// then `vexilate.exe /quiet /new` over the same inputs, all converted, and a journal of as many
// lines of which a third are of an input's size (so that sizes tell little): its processor time
// (target: at most 1 s), beside the same run with the 20,000 lines of the inputs alone, and beside
// an earlier build given as vexilate-earlier.exe beside the benchmark (scripts/bench:
// VEXILATE_EARLIER_EXE) or else the figures measured before lines were told apart by their paths;
//
// then «Журнал» opened on a journal of millions of lines beside one of a thousand: from the click
// until the window shows, until its list has its first rows, and until every line is indexed; the
// longest the window took to answer meanwhile (its thread is the main window's); the program's
// memory then beside before the click; and Copy of every row, the question answered Yes (above a
// spreadsheet's rows, the newest it takes): from Yes until the clipboard holds them, the longest the
// window took to answer meanwhile, and the program's memory while it copies and after, beside before
// the click. Given an earlier build, the same copy of the same journal by that build is the baseline
// of the copy's figures. Printed, not judged.
//
//   journal_bench [lines] [rounds] [window lines] [inputs] [earlier vexilate.exe]
//   (defaults: 1000000, 5, 2000000, 20000; 0 lines or rounds leaves a part out)
#include <windows.h>
//
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/batch_names.h"
#include "bench/bench_child.h"
#include "bench/bench_figures.h"
#include "bench/conversion_layout.h"
#include "bench/dialog_program.h"
#include "convert/journal/rules/journal_line.h"
#include "tests/driver/driver_error.h"
#include "tests/driver/file_dialogs.h"
#include "tests/driver/message_dialog.h"
#include "tests/driver/test_files.h"
#include "tests/driver/utf8_text.h"

namespace {

using bench::Clock;
using bench::MillisecondsSince;

int g_inputFiles = 20000;
constexpr int kNewFilesButton = 1007;
constexpr int kJournalButton = 1008;
constexpr DWORD kShowTimeoutMs = 20000;

rt::Text AsText(const std::wstring& text) { return rt::Text(text.begin(), text.end()); }

// Every input holds it.
constexpr char kInputText[] = "<?xml version=\"1.0\"?><d/>";

// A journal of `lines` lines: the first `converted` input files converted as they are now, the rest
// of the lines about files elsewhere, with every result, each `sharedEvery`-th of an input's size.
std::string MakeJournal(const std::wstring& input, int lines, int converted, int sharedEvery) {
  std::string journal = convert::JournalStart();
  for (int n = 1; n <= lines; ++n) {
    convert::JournalEntry entry{u"2026-12-08 09:15:03",
                                u"",
                                1234,
                                u"2026-12-07 23:59:59",
                                u"C:\\OUT\\00000100.001",
                                convert::JournalMethod::Processor,
                                static_cast<convert::JournalResult>(n % 6),
                                u""};
    if (n <= converted) {
      const std::wstring path = input + L"\\" + bench::BatchName(n);
      WIN32_FILE_ATTRIBUTE_DATA file{};
      GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file);
      SYSTEMTIME universal{}, local{};
      FileTimeToSystemTime(&file.ftLastWriteTime, &universal);
      SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
      entry.inputPath = AsText(path);
      entry.size = file.nFileSizeLow;
      entry.modified =
          convert::JournalTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
      entry.modifiedUtc = convert::JournalUtcTime(static_cast<std::int64_t>(
          static_cast<std::uint64_t>(file.ftLastWriteTime.dwHighDateTime) << 32 | file.ftLastWriteTime.dwLowDateTime));
      entry.result = convert::JournalResult::Converted;
    } else {
      entry.inputPath = AsText(L"C:\\Архив\\" + bench::BatchName(n));
      if (n % sharedEvery == 0) entry.size = sizeof kInputText - 1;
      entry.reason = u"msxsl.exe завершился с кодом 2. Ошибка разбора таблицы стилей";
    }
    journal += convert::JournalLine(entry);
  }
  return journal;
}

HWND WaitForVisible(DWORD processId, const wchar_t* title, Clock::time_point start) {
  for (;;) {
    HWND found = FindWindowW(driver::kDialogClass, title);
    DWORD owner = 0;
    if (found) GetWindowThreadProcessId(found, &owner);
    if (found && owner == processId && IsWindowVisible(found)) return found;
    if (MillisecondsSince(start) > kShowTimeoutMs) throw driver::DriverError(L"Nothing titled " + std::wstring(title));
    Sleep(1);
  }
}

struct Figures {
  std::vector<double> question, window, start;
};

class Bench {
 public:
  explicit Bench(int lines) {
    for (int n = 1; n <= g_inputFiles; ++n) {
      driver::WriteTextFile(layout_.InputDirectory() + L"\\" + bench::BatchName(n), kInputText);
    }
    const std::string journal = MakeJournal(layout_.InputDirectory(), lines, g_inputFiles / 2, lines + 1);
    journalBytes_ = journal.size();
    driver::WriteTextFile(Stored(), journal);
  }

  // One round with the journal in place or not: the question, the window, a start.
  void Round(bool withJournal, Figures& figures) {
    MoveFileExW((withJournal ? Stored() : Journal()).c_str(), (withJournal ? Journal() : Stored()).c_str(), 0);
    bench::DialogProgram product("vexilate.exe", layout_.Product(), layout_.ProductDirectory(), kNewFilesButton);
    product.Settle();
    const bench::MemoryFigures before = product.Memory();
    Clock::time_point start = Clock::now();
    product.window().Child(kNewFilesButton).Click();
    const driver::Window question(WaitForVisible(product.processId(), L"Новые файлы", start));
    figures.question.push_back(MillisecondsSince(start));
    const bench::MemoryFigures during = product.Memory();
    privateGrowth_ = static_cast<double>(during.privateUsage) - static_cast<double>(before.privateUsage);
    peakGrowth_ = static_cast<double>(during.peakWorkingSet) - static_cast<double>(before.peakWorkingSet);
    questionText_ = driver::ReadMessageDialog(question).text;
    driver::PressMessageButton(driver::ReadMessageDialog(question), 4);  // No
    product.Settle();

    start = Clock::now();
    product.window().Child(kJournalButton).Click();
    const driver::Window window(WaitForVisible(product.processId(), L"Журнал конвертаций", start));
    figures.window.push_back(MillisecondsSince(start));
    product.Settle();
    driver::PressAndWaitUntilGone(window, IDCANCEL);
    product.Close();

    bench::ChildProcess started(layout_.Product(), layout_.ProductDirectory());
    figures.start.push_back(started.WaitUntilShown(kShowTimeoutMs));
    started.Close(5000);
  }

  double JournalBytes() const { return static_cast<double>(journalBytes_); }
  double PrivateGrowth() const { return privateGrowth_; }
  double PeakGrowth() const { return peakGrowth_; }
  const std::wstring& QuestionText() const { return questionText_; }

 private:
  std::wstring Journal() const { return layout_.ProductDirectory() + L"\\Vexilate-journal.csv"; }
  std::wstring Stored() const { return layout_.ProductDirectory() + L"\\journal.stored"; }

  bench::ConversionLayout layout_;
  std::size_t journalBytes_ = 0;
  double privateGrowth_ = 0, peakGrowth_ = 0;
  std::wstring questionText_;
};

void Print(const char* what, const std::vector<double>& measured, const std::vector<double>& baseline,
           const char* target) {
  std::printf("%s: median %s ms (worst %s ms), without a journal %s ms, ratio %s; %s\n", what,
              bench::Fixed(bench::Median(measured), 1).c_str(), bench::Fixed(bench::Worst(measured), 1).c_str(),
              bench::Fixed(bench::Median(baseline), 1).c_str(),
              bench::RatioText(bench::Median(measured), bench::Median(baseline)).c_str(), target);
}

// The processor time of `/quiet /new` over every input converted, with the journal of many lines or
// with the inputs' lines alone; the product beside an earlier build in the same directory.
class QuietNew {
 public:
  explicit QuietNew(int lines) {
    DeleteFileW(layout_.RejectedFile().c_str());
    for (int n = 1; n <= g_inputFiles; ++n) {
      driver::WriteTextFile(layout_.InputDirectory() + L"\\" + bench::BatchName(n), kInputText);
    }
    driver::WriteTextFile(layout_.ProductDirectory() + L"\\qRec7to4.xsl", "<xsl:stylesheet/>");
    driver::WriteTextFile(Stored(true), MakeJournal(layout_.InputDirectory(), lines, g_inputFiles, 3));
    driver::WriteTextFile(Stored(false), MakeJournal(layout_.InputDirectory(), g_inputFiles, g_inputFiles, 3));
    if (driver::FileExists(driver::BesideExecutable(L"vexilate-earlier.exe"))) {
      earlier_ = layout_.ProductDirectory() + L"\\vexilate-earlier.exe";
      CopyFileW(driver::BesideExecutable(L"vexilate-earlier.exe").c_str(), earlier_.c_str(), FALSE);
    }
  }
  bool HasEarlier() const { return !earlier_.empty(); }

  // Processor milliseconds of one run: its threads' time, read until it ends.
  double Run(bool large, bool earlier) {
    const std::wstring journal = layout_.ProductDirectory() + L"\\Vexilate-journal.csv";
    MoveFileExW(Stored(large).c_str(), journal.c_str(), MOVEFILE_REPLACE_EXISTING);
    bench::ChildProcess run(earlier ? earlier_ : layout_.Product(), layout_.ProductDirectory(), L"/quiet /new",
                            bench::ChildOutput::Nowhere);
    double processor = 0;
    while (run.started() && run.ExitCode() == STILL_ACTIVE) {
      processor = std::max(processor, run.ProcessorMilliseconds());
      Sleep(1);
    }
    MoveFileExW(journal.c_str(), Stored(large).c_str(), MOVEFILE_REPLACE_EXISTING);
    if (run.ExitCode() != 0) throw driver::DriverError(L"/quiet /new did not end with 0");
    return processor;
  }

 private:
  std::wstring Stored(bool large) const { return layout_.ProductDirectory() + (large ? L"\\large" : L"\\small"); }

  bench::ConversionLayout layout_;
  std::wstring earlier_;
};

// Measured on the project's machine (two shared cores, Wine 8) with the build before lines were
// told apart by their paths, as the earlier build above.
constexpr double kBeforeMs = 840;

void QuietNewFigures(int lines, int rounds) {
  QuietNew quiet(lines);
  std::vector<double> large, small, earlier;
  quiet.Run(true, false);  // warm-up: the file cache
  for (int round = 0; round < rounds; ++round) {
    large.push_back(quiet.Run(true, false));
    small.push_back(quiet.Run(false, false));
    if (quiet.HasEarlier()) earlier.push_back(quiet.Run(true, true));
  }
  std::printf("/quiet /new over %d input files, all converted, a journal of %d lines, a third of an input's size\n",
              g_inputFiles, lines);
  std::printf(
      "processor time: median %s ms (worst %s ms), with the inputs' lines alone %s ms, ratio %s; target at "
      "most 1 s\n",
      bench::Fixed(bench::Median(large), 1).c_str(), bench::Fixed(bench::Worst(large), 1).c_str(),
      bench::Fixed(bench::Median(small), 1).c_str(),
      bench::RatioText(bench::Median(large), bench::Median(small)).c_str());
  if (quiet.HasEarlier()) {
    std::printf("the earlier build: median %s ms, ratio this / earlier %s\n",
                bench::Fixed(bench::Median(earlier), 1).c_str(),
                bench::RatioText(bench::Median(large), bench::Median(earlier)).c_str());
  } else {
    std::printf("the build before lines were told apart by their paths, measured then: %s ms, ratio this / then %s\n",
                bench::Fixed(kBeforeMs, 0).c_str(), bench::RatioText(bench::Median(large), kBeforeMs).c_str());
  }
}

constexpr int kListId = 101;
constexpr int kCopyId = 103;
constexpr int kSummaryId = 104;
constexpr double kIndexTimeoutMs = 120000;
constexpr double kCopyTimeoutMs = 300000;

// For the window: a journal of `lines` lines, each result in turn: a few lines written once and repeated, so that
// millions of them take a second to make.
std::string MakeRepeatedJournal(int lines) {
  std::string kinds[6];
  for (int kind = 0; kind < 6; ++kind) {
    kinds[kind] = convert::JournalLine({u"2026-12-08 09:15:03", u"C:\\Архив\\00000100.001.XML", 1234,
                                        u"2026-12-07 23:59:59", u"C:\\OUT\\00000100.001",
                                        convert::JournalMethod::Processor, static_cast<convert::JournalResult>(kind),
                                        kind == 0 ? u"" : u"msxsl.exe завершился с кодом 2. Ошибка разбора"});
  }
  std::string journal = convert::JournalStart();
  journal.reserve(journal.size() + static_cast<std::size_t>(lines) * kinds[1].size());
  for (int line = 0; line < lines; ++line) journal += kinds[line % 6];
  return journal;
}

struct Copied {
  double rows = 0;                                             // on the clipboard, the header left out
  double textBytes = 0;                                        // of the text there
  double milliseconds = 0;                                     // from Yes until the clipboard holds them
  double slowestAnswer = 0;                                    // ms, the window asked for its count meanwhile
  double privateGrowth = 0, privateAfter = 0, peakGrowth = 0;  // bytes, beside before the click
};

struct Opened {
  double journalBytes = 0;
  double shown = 0, firstRows = 0, indexed = 0;  // ms from the click
  double slowestAnswer = 0;                      // ms, the window asked for its counts while indexing
  double peakGrowth = 0, workingSetGrowth = 0;   // bytes, beside before the click
  Copied copied;
};

// The clipboard's text: how many lines and bytes.
std::pair<double, double> ClipboardText() {
  std::pair<double, double> text{0, 0};
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      const std::size_t length = wcslen(chars);
      text = {static_cast<double>(std::count(chars, chars + length, L'\n')), static_cast<double>(length * 2)};
      GlobalUnlock(data);
    }
  }
  EmptyClipboard();
  CloseClipboard();
  return text;
}

// A question of the program over the window, when one shows.
HWND QuestionOver(DWORD processId, HWND window) {
  for (HWND found = nullptr; (found = FindWindowExW(nullptr, found, driver::kDialogClass, nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    if (owner == processId && GetWindow(found, GW_OWNER) == window && IsWindowVisible(found)) return found;
  }
  return nullptr;
}

// Copy of every row of the window, the question answered Yes when there is one.
Copied CopyAll(const bench::DialogProgram& program, HWND window) {
  Copied copied;
  ClipboardText();  // empty, so that the text shows when it comes
  const bench::MemoryFigures before = program.Memory();
  PostMessageW(GetDlgItem(window, kCopyId), BM_CLICK, 0, 0);
  Clock::time_point start = Clock::now();
  bool asked = false;
  double mostPrivate = static_cast<double>(before.privateUsage);
  // Once more after the text has come: the window may still be handing it over.
  for (bool come = false, done = false; !done; done = come) {
    come = IsClipboardFormatAvailable(CF_UNICODETEXT);
    if (come && copied.milliseconds == 0) copied.milliseconds = MillisecondsSince(start);
    if (MillisecondsSince(start) > kCopyTimeoutMs) throw driver::DriverError(L"The rows never reached the clipboard");
    if (HWND question = asked ? nullptr : QuestionOver(program.processId(), window)) {
      driver::PressMessageButton(driver::ReadMessageDialog(driver::Window(question)), 2);  // Yes
      start = Clock::now();
      asked = true;
    }
    const Clock::time_point answered = Clock::now();
    DWORD_PTR rows = 0;
    // Without giving up on a window that does not answer: how long it does not is what is measured.
    SendMessageTimeoutW(GetDlgItem(window, kListId), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL,
                        static_cast<UINT>(kCopyTimeoutMs), &rows);
    copied.slowestAnswer = std::max(copied.slowestAnswer, MillisecondsSince(answered));
    mostPrivate = std::max(mostPrivate, static_cast<double>(program.Memory().privateUsage));
    Sleep(1);
  }
  program.Settle();
  const bench::MemoryFigures after = program.Memory();
  copied.privateGrowth = mostPrivate - static_cast<double>(before.privateUsage);
  copied.privateAfter = static_cast<double>(after.privateUsage) - static_cast<double>(before.privateUsage);
  copied.peakGrowth = static_cast<double>(after.peakWorkingSet) - static_cast<double>(before.peakWorkingSet);
  const auto [lines, bytes] = ClipboardText();
  copied.rows = lines - 1;
  copied.textBytes = bytes;
  return copied;
}

// The window opened by the product, or by an earlier build when one is given, its rows then copied.
Opened OpenWindow(int lines, const std::wstring& earlier = {}) {
  Opened opened;
  const bench::ConversionLayout layout(earlier);
  {
    const std::string journal = MakeRepeatedJournal(lines);
    opened.journalBytes = static_cast<double>(journal.size());
    driver::WriteTextFile(layout.ProductDirectory() + L"\\Vexilate-journal.csv", journal);
  }
  bench::DialogProgram product("vexilate.exe", earlier.empty() ? layout.Product() : layout.BareProgram(),
                               layout.ProductDirectory(), kJournalButton);
  product.Settle();
  const bench::MemoryFigures before = product.Memory();
  const Clock::time_point start = Clock::now();
  product.window().Child(kJournalButton).Click();
  HWND window = nullptr;
  for (DWORD owner = 0; !window || owner != product.processId() || !IsWindowVisible(window);) {
    if (MillisecondsSince(start) > kIndexTimeoutMs) throw driver::DriverError(L"No journal window");
    window = FindWindowW(L"#32770", L"Журнал конвертаций");
    if (window) GetWindowThreadProcessId(window, &owner);
  }
  opened.shown = MillisecondsSince(start);
  const std::wstring all = L"Записей: " + std::to_wstring(lines);
  for (;;) {
    if (MillisecondsSince(start) > kIndexTimeoutMs) throw driver::DriverError(L"The journal never indexed");
    const Clock::time_point asked = Clock::now();
    DWORD_PTR rows = 0;
    SendMessageTimeoutW(GetDlgItem(window, kListId), LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &rows);
    wchar_t summary[200] = {};
    SendMessageTimeoutW(GetDlgItem(window, kSummaryId), WM_GETTEXT, 200, reinterpret_cast<LPARAM>(summary),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    opened.slowestAnswer = std::max(opened.slowestAnswer, MillisecondsSince(asked));
    if (rows > 0 && opened.firstRows == 0) opened.firstRows = MillisecondsSince(start);
    if (summary == all) break;
    Sleep(1);
  }
  opened.indexed = MillisecondsSince(start);
  product.Settle();
  const bench::MemoryFigures after = product.Memory();
  opened.peakGrowth = static_cast<double>(after.peakWorkingSet) - static_cast<double>(before.peakWorkingSet);
  opened.workingSetGrowth = static_cast<double>(after.workingSet) - static_cast<double>(before.workingSet);
  opened.copied = CopyAll(product, window);
  PostMessageW(window, WM_CLOSE, 0, 0);
  product.Close();
  return opened;
}

void PrintWindow(const char* what, double measured, double baseline, const char* against = "with the small journal") {
  std::printf("%s: %s ms, %s %s ms, ratio %s\n", what, bench::Fixed(measured, 1).c_str(), against,
              bench::Fixed(baseline, 1).c_str(), bench::RatioText(measured, baseline).c_str());
}

void PrintCopy(const Copied& large, const Copied& baseline, const char* against) {
  std::printf("Copy of every row: %s rows (%s of text) on the clipboard, %s %s rows (%s)\n",
              bench::Fixed(large.rows, 0).c_str(), bench::Mebibytes(large.textBytes).c_str(), against,
              bench::Fixed(baseline.rows, 0).c_str(), bench::Mebibytes(baseline.textBytes).c_str());
  PrintWindow("from Yes until the clipboard holds them", large.milliseconds, baseline.milliseconds, against);
  PrintWindow("the longest the window took to answer meanwhile", large.slowestAnswer, baseline.slowestAnswer, against);
  std::printf(
      "memory beside before the click: private at most %s more while copying (%s), %s more after (%s), ratio %s; "
      "beyond the clipboard's text %s (%s); peak working set %s more (%s)\n",
      bench::Mebibytes(large.privateGrowth).c_str(), bench::Mebibytes(baseline.privateGrowth).c_str(),
      bench::Mebibytes(large.privateAfter).c_str(), bench::Mebibytes(baseline.privateAfter).c_str(),
      bench::RatioText(large.privateGrowth, baseline.privateGrowth).c_str(),
      bench::Mebibytes(large.privateGrowth - large.textBytes).c_str(),
      bench::Mebibytes(baseline.privateGrowth - baseline.textBytes).c_str(), bench::Mebibytes(large.peakGrowth).c_str(),
      bench::Mebibytes(baseline.peakGrowth).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const int windowLines = argc > 3 ? std::atoi(argv[3]) : 2000000;
  g_inputFiles = argc > 4 ? std::atoi(argv[4]) : 20000;
  const std::string earlierName = argc > 5 ? argv[5] : "";
  const std::wstring earlier(earlierName.begin(), earlierName.end());
  constexpr int kBaselineLines = 1000;
  if ((rounds > 0 && lines < g_inputFiles) || rounds < 0 || windowLines < 0 || g_inputFiles < 2) {
    std::fprintf(stderr,
                 "usage: journal_bench [lines, at least the inputs] [rounds] [window lines] [inputs] [earlier exe]\n");
    return 2;
  }
  try {
    if (rounds > 0) {
      Bench bench(lines);
      Figures with, without;
      bench.Round(true, with);  // warm-up
      bench.Round(false, without);
      with = without = {};
      double privateGrowth = 0, peakGrowth = 0;
      for (int round = 0; round < rounds; ++round) {
        bench.Round(false, without);
        bench.Round(true, with);
        privateGrowth = std::max(privateGrowth, bench.PrivateGrowth());
        peakGrowth = std::max(peakGrowth, bench.PeakGrowth());
      }
      std::printf("%d input files, %d of them converted; a journal of %d lines, %s\n", g_inputFiles, g_inputFiles / 2,
                  lines, bench::Mebibytes(bench.JournalBytes()).c_str());
      std::printf("the question asked: %s\n", driver::ToUtf8(bench.QuestionText()).c_str());
      Print("«Новые файлы» until the question", with.question, without.question, "target at most 1 s");
      std::printf(
          "memory of the program while it asks, beside before the click: private %s more, peak working set %s "
          "more; the journal is %s (target: growth at most the journal's size)\n",
          bench::Mebibytes(privateGrowth).c_str(), bench::Mebibytes(peakGrowth).c_str(),
          bench::Mebibytes(bench.JournalBytes()).c_str());
      Print("«Журнал» until its window shows", with.window, without.window, "target at most 500 ms");
      Print("start-up with the journal beside the program", with.start, without.start, "target: the same");
      QuietNewFigures(lines, rounds);
    }
    if (windowLines > 0) {
      OpenWindow(kBaselineLines);  // warm-up: the prefix, the file cache
      const Opened baseline = OpenWindow(kBaselineLines);
      const Opened large = OpenWindow(windowLines);
      std::printf("«Журнал» on a journal of %d lines, %s, beside one of %d lines, %s\n", windowLines,
                  bench::Mebibytes(large.journalBytes).c_str(), kBaselineLines,
                  bench::Mebibytes(baseline.journalBytes).c_str());
      PrintWindow("from the click until its window shows", large.shown, baseline.shown);
      PrintWindow("until its list has its first rows", large.firstRows, baseline.firstRows);
      PrintWindow("until every line is indexed", large.indexed, baseline.indexed);
      PrintWindow("the longest the window took to answer meanwhile", large.slowestAnswer, baseline.slowestAnswer);
      std::printf(
          "memory beside before the click: peak working set %s more (%s with the small journal), working set %s "
          "more (%s), %s bytes a line of the large journal\n",
          bench::Mebibytes(large.peakGrowth).c_str(), bench::Mebibytes(baseline.peakGrowth).c_str(),
          bench::Mebibytes(large.workingSetGrowth).c_str(), bench::Mebibytes(baseline.workingSetGrowth).c_str(),
          bench::Fixed(large.workingSetGrowth / windowLines, 1).c_str());
      PrintCopy(large.copied, baseline.copied, "with the small journal");
      if (!earlier.empty()) PrintCopy(large.copied, OpenWindow(windowLines, earlier).copied, "the earlier build");
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "journal_bench: %s\n", error.what());
    return 1;
  }
}
