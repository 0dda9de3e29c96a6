// `vexilate.exe /quiet`, as the Task Scheduler or a script starts it: no window of any program
// at any moment, a line per file on its output, every file journaled, and an exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "convert/journal/rules/journal_line.h"
#include "tests/e2e/conversion_fixture.h"
#include "tests/wine/test_paths.h"

namespace e2e {
namespace {

const std::wstring kGood1 = DocumentName(L"000001", L"00001", L"00000");
const std::wstring kGood2 = DocumentName(L"000002", L"00002", L"00000");
const std::wstring kFailing = DocumentName(L"000004", L"00004", L"00000");

std::vector<std::wstring>* g_shown = nullptr;
std::wstring g_root;  // the test's own directory, which holds the program and the processor

// Wine tells another process's windows as they are made, not as they are shown: any top-level
// window made by a program of the test counts (one already gone too), whether or not it was to
// be seen. Wine's own desktop process, which a run may start, does not.
void CALLBACK NoteShown(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD thread, DWORD) {
  if (object != OBJID_WINDOW || (IsWindow(window) && GetAncestor(window, GA_PARENT) != GetDesktopWindow())) return;
  wchar_t image[MAX_PATH] = L"", name[256] = L"(gone)";
  DWORD size = MAX_PATH;
  if (const HANDLE maker = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread)) {
    const DWORD owner = GetProcessIdOfThread(maker);
    CloseHandle(maker);
    if (owner == GetCurrentProcessId()) return;
    if (const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner)) {
      QueryFullProcessImageNameW(process, 0, image, &size);
      CloseHandle(process);
    }
  }
  if (image[0] != L'\0' && !std::wstring(image).starts_with(g_root)) return;
  GetClassNameW(window, name, 256);
  g_shown->push_back(name);
}

struct QuietOutcome {
  DWORD exitCode = 0;
  std::string output;  // as UTF-8
};

// The test is a console program: a run it starts writes as its console's programs write, in the
// console's code page (the OEM one), which also shows what a line says in it.
std::wstring InConsolePage(const std::string& bytes) {
  std::wstring text(bytes.size(), L'\0');
  text.resize(static_cast<std::size_t>(MultiByteToWideChar(GetOEMCP(), 0, bytes.data(), static_cast<int>(bytes.size()),
                                                           text.data(), static_cast<int>(text.size()))));
  return text;
}
std::string Shown(const std::wstring& line) {
  std::string bytes(line.size() * 2 + 1, '\0');
  bytes.resize(
      static_cast<std::size_t>(WideCharToMultiByte(GetOEMCP(), 0, line.data(), static_cast<int>(line.size()),
                                                   bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr)));
  return Utf8(InConsolePage(bytes));
}

class QuietRun : public ConversionTest {
 protected:
  // Starts the copies together, each with its output through a pipe, and waits for them all while
  // noting every top-level window that any other process makes or shows meanwhile.
  std::vector<QuietOutcome> Run(const std::vector<std::wstring>& arguments, std::size_t copies = 1,
                                const std::wstring& from = {}) {
    std::vector<std::wstring> shown;
    g_shown = &shown;
    g_root = Path(L"");
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, NoteShown, 0, 0, WINEVENT_OUTOFCONTEXT);
    std::vector<QuietOutcome> outcomes(copies);
    std::vector<driver::Process> runs;
    std::vector<HANDLE> pipes;
    for (std::size_t copy = 0; copy < copies; ++copy) {
      SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
      HANDLE read = nullptr, write = nullptr;
      CreatePipe(&read, &write, &inherit, 0);
      runs.push_back(driver::Process::Launch(AppDirectory() + L"\\vexilate.exe", arguments,
                                             from.empty() ? WorkDirectory() : from, {}, write));
      CloseHandle(write);
      pipes.push_back(read);
    }
    for (std::size_t copy = 0; copy < copies; ++copy) {
      const HANDLE process = runs[copy].Handle();
      const ULONGLONG until = GetTickCount64() + 60'000;
      while (MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
             GetTickCount64() < until) {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
      }
      outcomes[copy].exitCode = runs[copy].WaitForExit(driver::Timeout{1});
      // What it wrote, the pipe holding it all (a few lines); under Wine the desktop's process a
      // run starts may keep the pipe open beyond it, so the pipe's end is not waited for.
      char buffer[4096];
      for (DWORD got = 0; PeekNamedPipe(pipes[copy], nullptr, 0, nullptr, &got, nullptr) && got > 0;) {
        if (!ReadFile(pipes[copy], buffer, std::min<DWORD>(got, sizeof buffer), &got, nullptr)) break;
        outcomes[copy].output.append(buffer, got);
      }
      CloseHandle(pipes[copy]);
      outcomes[copy].output = Utf8(InConsolePage(outcomes[copy].output));
    }
    UnhookWinEvent(hook);
    EXPECT_TRUE(shown.empty()) << "a window of class " << Utf8(shown.front()) << " was shown";
    return outcomes;
  }

  // The journal's results, in the order written.
  std::vector<convert::JournalResult> JournalResults() const {
    std::vector<convert::JournalResult> results;
    const std::string journal = driver::ReadTextFile(AppDirectory() + L"\\Vexilate-journal.csv");
    for (const convert::JournalEntry& entry : convert::ReadJournal(journal)) results.push_back(entry.result);
    return results;
  }
};

using enum convert::JournalResult;

// Each run's exit code, its lines and its journal: every file converted, one failed, and runs
// that cannot be done at all.
TEST_F(QuietRun, ExitCodesLinesAndJournal) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool pathsSet;
    DWORD exitCode;
    std::wstring output;
    std::vector<convert::JournalResult> journal;
  } const cases[] = {
      {{L"-QUIET", InputDirectory()},
       true,
       0,
       L"Сконвертирован\t" + kGood1 + L"\t00000100.001\t\r\nСконвертирован\t" + kGood2 +
           L"\t00000200.002\t\r\nСконвертировано: 2",
       {Converted, Converted}},
      {{L"/quiet", L"/New"},
       true,
       1,
       L"Ошибка\t" + kFailing + L"\t00000400.004\tmsxsl.exe завершился с кодом 2",
       {Converted, Converted, Failed}},
      {{L"/quiet", L"/new"}, false, 2, L"Не указана папка входных файлов: выберите её в окне программы\r\n", {}},
      {{L"/quiet", L"/nwe"}, true, 2, L"Неизвестный ключ или ключ без значения: /nwe\r\n", {}},
      {{L"/quiet", L"НЕТ.XML"}, true, 2, L"Нет такого файла или папки: " + WorkDirectory() + L"\\НЕТ.XML\r\n", {}},
  };
  CreateInputFile(Path(L"IN"), kGood1);
  CreateInputFile(Path(L"IN"), kGood2);
  TellProcessor({{L"000004", 2, 0, false, L"", L""}});
  for (const Case& run : cases) {
    DeleteFileW(SettingsFile().c_str());
    DeleteFileW((AppDirectory() + L"\\Vexilate-journal.csv").c_str());
    if (run.pathsSet) WritePaths(InputDirectory(), OutputDirectory());
    if (run.exitCode == 1) CreateInputFile(InputDirectory(), kFailing);
    const QuietOutcome outcome = Run(run.arguments).front();
    const std::string what = Utf8(run.arguments.back());
    EXPECT_EQ(outcome.exitCode, run.exitCode) << what;
    EXPECT_NE(outcome.output.find(Shown(run.output)), std::string::npos) << what << ":\n" << outcome.output;
    EXPECT_EQ(JournalResults(), run.journal) << what;
  }
}

// The journal over runs as months bring them, one run after another: a failure of the file's own is
// named (exit 1) but not tried again until /retry; a journal a clerk saved again in Excel (ANSI, its
// dates, "," and columns swapped) converts nothing again, and is kept aside when a line is added;
// one held open keeps the run's lines beside it until the next run; an output held is tried again
// once let go; a line edited by hand is named and stops nothing; no stylesheet is exit 2.
TEST_F(QuietRun, JournalThroughTheYears) {
  const std::wstring journal = AppDirectory() + L"\\Vexilate-journal.csv";
  const std::wstring good3 = DocumentName(L"000003", L"00003", L"00000");
  const std::wstring good5 = DocumentName(L"000005", L"00005", L"00000");
  const std::wstring good6 = DocumentName(L"000006", L"00006", L"00000");
  const std::wstring waiting = AppDirectory() + L"\\Vexilate-journal.waiting.csv";
  const std::wstring good8 = DocumentName(L"000008", L"00008", L"00000"), output8 = OutputDirectory() + L"00000800.008";
  HANDLE held = INVALID_HANDLE_VALUE, heldWaiting = INVALID_HANDLE_VALUE, heldOutput = INVALID_HANDLE_VALUE;
  // The journal's entries as Excel saves them: ANSI, "," between fields, times to the minute.
  const auto excelForm = [](const std::vector<convert::JournalEntry>& entries) {
    std::string excel =
        "\xC2\xF5\xEE\xE4\xED\xEE\xE9 \xF4\xE0\xE9\xEB,\xC2\xF0\xE5\xEC\xFF,\xD0\xE0\xE7"
        "\xEC\xE5\xF0,\xC8\xE7\xEC\xE5\xED\xB8\xED,\xC2\xFB\xF5\xEE\xE4\xED\xEE\xE9 \xF4\xE0"
        "\xE9\xEB,\xD1\xEF\xEE\xF1\xEE\xE1,\xC8\xF2\xEE\xE3,\xCF\xF0\xE8\xF7\xE8\xED\xE0\r\n";
    const auto excelTime = [](const rt::Text& t) {  // "2026-12-08 09:05:03" as "08.12.2026 9:05"
      const std::string a(t.begin(), t.end());
      return a.substr(8, 2) + "." + a.substr(5, 2) + "." + a.substr(0, 4) + " " +
             (a[11] == '0' ? a.substr(12, 4) : a.substr(11, 5));
    };
    for (const convert::JournalEntry& e : entries) {
      const auto ansi = [](rt::TextView t) {
        std::string bytes(t.size() * 2 + 1, '\0');
        bytes.resize(static_cast<std::size_t>(WideCharToMultiByte(1251, 0, reinterpret_cast<const wchar_t*>(t.data()),
                                                                  static_cast<int>(t.size()), bytes.data(),
                                                                  static_cast<int>(bytes.size()), nullptr, nullptr)));
        return "\"" + bytes + "\"";
      };
      excel += ansi(e.inputPath) + "," + excelTime(e.time) + "," + std::to_string(e.size) + "," +
               excelTime(e.modified) + "," + ansi(e.outputPath) + "," + ansi(convert::JournalMethodWords(e.method)) +
               "," + ansi(convert::JournalResultWords(e.result)) + "," + ansi(e.reason) + "\r\n";
    }
    return excel;
  };
  struct Step {
    const wchar_t* what;
    std::function<void()> before;
    std::vector<std::wstring> arguments;
    DWORD exitCode;
    std::wstring output;
    std::size_t journaled;  // entries of the program's form in the journal after the run
  } const steps[] = {
      {L"first", [] {}, {L"/quiet", L"/new"}, 1, L"Ошибка\t" + kFailing, 3},
      {L"failure unchanged",
       [] {},
       {L"/quiet", L"/new"},
       1,
       L"Новых файлов нет\r\nНе удались прежде и с тех пор не менялись: 1 (повторить их: /retry)\r\n" + kFailing,
       3},
      {L"saved by Excel",
       [&] { driver::WriteTextFile(journal, excelForm(convert::ReadJournal(driver::ReadTextFile(journal)))); },
       {L"/quiet", L"/new"},
       1,
       L"Новых файлов нет",
       0},
      {L"a new file after Excel",
       [&] { CreateInputFile(InputDirectory(), good3); },
       {L"/quiet", L"/new"},
       1,
       L"Журнал был сохранён в другой форме (например, в Excel) и оставлен как " + AppDirectory() +
           L"\\Vexilate-journal.2",
       1},
      {L"held by another program",
       [&] {
         CreateInputFile(InputDirectory(), good5);
         // As Excel holds what it has open: others may read it, not write it.
         held = CreateFileW(journal.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       {L"/quiet", InputDirectory() + L"\\" + good5},
       0,
       L"Журнал занят другой программой: строки этого запуска ждут в файле, в журнал они попадут при следующей "
       L"записи: " +
           AppDirectory() + L"\\Vexilate-journal.waiting.csv",
       1},
      // The journal let go, its waiting file held as Excel holds it: a file of the run's own takes
      // the lines, and the waiting file, not the journal, is named.
      {L"the waiting file held by another program",
       [&] {
         CreateInputFile(InputDirectory(), good6);
         heldWaiting = CreateFileW(waiting.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
         CloseHandle(held);
       },
       {L"/quiet", InputDirectory() + L"\\" + good6},
       0,
       L"Файл " + waiting +
           L" занят другой программой: строки этого запуска ждут в файле, в журнал они попадут при "
           L"следующей записи: " +
           AppDirectory() + L"\\Vexilate-journal.waiting-",
       1},
      {L"let go", [&] { CloseHandle(heldWaiting); }, {L"/quiet", L"/new"}, 1, L"Новых файлов нет", 3},
      // The waiting lines saved by Excel are read in its form, kept aside, never moved as they stand.
      {L"waiting lines saved by Excel",
       [&] {
         const std::vector<convert::JournalEntry> entries = convert::ReadJournal(driver::ReadTextFile(journal));
         driver::WriteTextFile(waiting, excelForm({entries.back()}));
       },
       {L"/quiet", L"/new"},
       1,
       L"оставлен как " + AppDirectory() + L"\\Vexilate-journal.2",
       3},
      {L"output held by another program",
       [&] {
         CreateInputFile(InputDirectory(), good8);
         driver::WriteTextFile(output8, "earlier output");
         heldOutput = CreateFileW(output8.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       {L"/quiet", L"/new"},
       1,
       L"Ошибка\t" + good8 + L"\t00000800.008\tНе удалось записать файл " + output8,
       4},
      {L"output let go", [&] { CloseHandle(heldOutput); }, {L"/quiet", L"/new"}, 1, L"Сконвертирован\t" + good8, 5},
      {L"/retry", [] {}, {L"/quiet", L"/retry"}, 1, L"Ошибка\t" + kFailing, 6},
      {L"a line edited by hand",
       [&] {
         // About a file of the folder: of its size, so that it could tell that file is not new.
         const std::wstring good1 = InputDirectory() + L"\\" + kGood1;
         driver::WriteTextFile(journal, driver::ReadTextFile(journal) + "вчера;" + Utf8(good1) + ";" +
                                            std::to_string(driver::ReadTextFile(good1).size()) +
                                            ";;;msxsl.exe;ошибка;;\r\n");
         CreateInputFile(InputDirectory(), DocumentName(L"000007", L"00007", L"00000"));
       },
       {L"/quiet", L"/new"},
       1,
       L"В журнале " + journal + L" пропущены строки, не похожие на записи журнала: 8 (всего 1)",
       7},
      {L"no stylesheet",
       [&] { DeleteFileW((WorkDirectory() + L"\\" + kStylesheetName).c_str()); },
       {L"/quiet", L"/new"},
       2,
       L"Не найдена таблица стилей: " + WorkDirectory() + L"\\" + kStylesheetName,
       7},
  };
  for (const std::wstring& name : {kGood1, kGood2, kFailing}) CreateInputFile(InputDirectory(), name);
  WritePaths(InputDirectory(), OutputDirectory());
  TellProcessor({{L"000004", 2, 0, false, L"", L""}});
  for (const Step& step : steps) {
    step.before();
    const QuietOutcome outcome = Run(step.arguments).front();
    const std::string what = Utf8(step.what);
    EXPECT_EQ(outcome.exitCode, step.exitCode) << what << ":\n" << outcome.output;
    EXPECT_NE(outcome.output.find(Shown(step.output)), std::string::npos) << what << ":\n" << outcome.output;
    EXPECT_EQ(convert::ReadJournal(driver::ReadTextFile(journal)).size(), step.journaled) << what;
  }
  EXPECT_EQ(Records().size(), 10u) << "each file once, the failed one again when asked, the held one once let go";
}

// A processor that never ends is stopped at the time limit: its file is journaled as stopped, the
// run ends with 1 and leaves no processor behind.
// Stopped at the time limit: a processor that never ends, and without it a stylesheet whose
// compiling takes far longer (templates the library files one by one at the end of a list).
TEST_F(QuietRun, HangingConversionStoppedAtTheTimeLimit) {
  std::string slow = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">";
  for (int i = 0; i < 100000; ++i) {
    slow += "<xsl:template match=\"x[@a=" + std::to_string(i) + "]\" priority=\"-" + std::to_string(i) + "\"/>";
  }
  slow += "</xsl:stylesheet>";
  for (const bool builtIn : {false, true}) {
    CreateInputFile(InputDirectory(), kGood1);
    WritePaths(InputDirectory(), OutputDirectory());
    if (builtIn) {
      RemoveProcessorFromWorkDirectory();
      driver::WriteTextFile(WorkDirectory() + L"\\" + kStylesheetName, slow);
    } else {
      TellProcessor({{L"*", 0, driver::kForever, true, L"", L""}});
    }
    const QuietOutcome outcome = Run({L"/quiet", L"/timeout", L"2", L"/new"}).front();
    EXPECT_EQ(outcome.exitCode, 1u) << builtIn;
    EXPECT_NE(outcome.output.find(Shown(L"Остановлен\t" + kGood1 + L"\t00000100.001\tне сконвертирован за 2 с")),
              std::string::npos)
        << builtIn << ": " << outcome.output;
    EXPECT_EQ(JournalResults(), std::vector(builtIn ? 2 : 1, Stopped)) << builtIn;
    EXPECT_TRUE(RunningProcessors().empty()) << builtIn;
  }
}

// The formats' schemas beside the stylesheet, through both roads, each giving the input back as
// its result: an input of another format is not converted, a result that does not match never
// takes the output's place and is kept aside, a schema that cannot be used stops the run.
TEST_F(QuietRun, InputsAndResultsCheckedAgainstTheirSchemas) {
  const std::string head = "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">";
  const std::string format = head + "<xs:element name=\"document\"/></xs:schema>";
  const auto result = [&](const std::string& types) {
    return head + "<xs:include schemaLocation=\"" + types +
           "\"/><xs:element name=\"document\"><xs:complexType><xs:sequence><xs:element name=\"sum\" "
           "type=\"xs:decimal\"/><xs:element name=\"org\"><xs:complexType><xs:attribute name=\"inn\" "
           "type=\"INN\" use=\"required\"/></xs:complexType></xs:element></xs:sequence></xs:complexType>"
           "</xs:element></xs:schema>";
  };
  const std::string types = head +
                            "<xs:simpleType name=\"INN\"><xs:restriction base=\"xs:string\"><xs:pattern "
                            "value=\"[0-9]{10}\"/></xs:restriction></xs:simpleType></xs:schema>";
  const auto document = [](const std::string& inside) {
    return "<?xml version=\"1.0\"?>\r\n<document>\r\n" + inside + "\r\n</document>\r\n";
  };
  const std::string good = document("<sum>1.5</sum>\r\n<org inn=\"7701234567\"/>");
  // Types derived each from the next, deeper than the worker's stack reaches.
  std::string deep = head;
  for (int n = 0; n < 20000; ++n) {
    deep += "<xs:complexType name=\"t" + std::to_string(n) + "\"><xs:complexContent><xs:extension base=\"t" +
            std::to_string(n + 1) + "\"/></xs:complexContent></xs:complexType>";
  }
  deep += "<xs:complexType name=\"t20000\"/><xs:element name=\"document\" type=\"t0\"/></xs:schema>";
  const struct {
    const char* what;
    std::string in, out, input;
    DWORD exitCode;
    std::wstring line;  // the file's line, or the run's
    convert::JournalResult journal;
  } cases[] = {
      {"matching, a schema named as a Windows path", format, result(".\\types.xsd"), good, 0,
       L"Сконвертирован\t" + kGood1, Converted},
      {"an input of another format", format, result("types.xsd"), "<other/>", 1,
       L"Не соответствует формату\t" + kGood1 + L"\t00000100.001\tстрока 1, /other: Корневой элемент «other»",
       NotFormat},
      {"an input with a DTD the processor would read", format, result("types.xsd"),
       "<!DOCTYPE document SYSTEM \"x.dtd\">\r\n" + good, 1,
       L"Не соответствует формату\t" + kGood1 + L"\t00000100.001\tВ файле ", NotFormat},
      {"a result with a missing element", "", result("types.xsd"), document("<org inn=\"7701234567\"/>"), 1,
       L"Не соответствует схеме\t" + kGood1 + L"\t00000100.001\tстрока 3, /document/org: Элемент «org»", NotSchema},
      {"a wrong type, a value outside its pattern", "", result("types.xsd"),
       document("<sum>много</sum>\r\n<org inn=\"77\"/>"), 1, L"/document/sum: ", NotSchema},
      // The schema's fault, told once by its name; the file stays new for when it is mended.
      {"a schema reading outside its folder", "", result("../types.xsd"), good, 2, L"файл лежит вне папки",
       NotConverted},
      {"a schema that does not compile", format + "<", result("types.xsd"), good, 2, L"Ошибка в схеме", NotConverted},
      {"a schema that ends the worker", deep, "", good, 2, L"qRec7to4.in.xsd прервалась", NotConverted},
  };
  driver::WriteTextFile(Path(L"types.xsd"), types);
  std::size_t lines = 0;
  for (const bool builtIn : {false, true}) {
    if (builtIn) {
      RemoveProcessorFromWorkDirectory();
      driver::WriteTextFile(WorkDirectory() + L"\\" + kStylesheetName,
                            "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                            "<xsl:template match=\"/\"><xsl:copy-of select=\"/\"/></xsl:template></xsl:stylesheet>");
    }
    for (const auto& c : cases) {
      const std::string what = std::string(c.what) + (builtIn ? ", built in" : ", msxsl.exe");
      for (const auto& [side, text] : {std::pair{L".in.xsd", c.in}, std::pair{L".out.xsd", c.out}}) {
        const std::wstring schema = WorkDirectory() + L"\\qRec7to4" + side;
        if (text.empty()) DeleteFileW(schema.c_str());
        if (!text.empty()) driver::WriteTextFile(schema, text);
      }
      driver::WriteTextFile(WorkDirectory() + L"\\types.xsd", types);
      driver::MakeDirectories(InputDirectory());
      driver::WriteTextFile(InputDirectory() + L"\\" + kGood1, c.input);
      driver::MakeDirectories(OutputDirectory());
      driver::WriteTextFile(OutputDirectory() + L"00000100.001", "earlier");
      DeleteFileW((OutputDirectory() + L"00000100.001.invalid").c_str());
      WritePaths(InputDirectory(), OutputDirectory());
      const QuietOutcome outcome = Run({L"/quiet", InputDirectory()}).front();
      EXPECT_EQ(outcome.exitCode, c.exitCode) << what << ":\n" << outcome.output;
      EXPECT_NE(outcome.output.find(Shown(c.line)), std::string::npos) << what << ":\n" << outcome.output;
      EXPECT_EQ(driver::ReadTextFile(OutputDirectory() + L"00000100.001") == "earlier", c.exitCode != 0) << what;
      EXPECT_EQ(driver::FileExists(OutputDirectory() + L"00000100.001.invalid"), c.journal == NotSchema) << what;
      const std::vector<convert::JournalResult> journal = JournalResults();
      EXPECT_EQ(journal.empty() ? Refused : journal.back(), c.journal) << what;
      EXPECT_EQ(journal.size(), ++lines) << what << ": one line for the one file";
    }
  }
}

// Two runs started together for the same input directory, where the stylesheet is not (the Task
// Scheduler starts in the system folder): the second waits for the first and then finds nothing
// new; both work where the program and the stylesheet lie.
TEST_F(QuietRun, TwoRunsTogetherConvertEachFileOnceBesideTheProgram) {
  for (const std::wstring& name : {kGood1, kGood2, kFailing}) CreateInputFile(InputDirectory(), name);
  WritePaths(InputDirectory(), OutputDirectory());
  PlaceProcessor(AppDirectory());
  ReadRecordsFrom(AppDirectory());
  driver::WriteTextFile(AppDirectory() + L"\\" + driver::kBehaviourFile,
                        driver::FormatBehaviours({{L"*", 0, 300, true, L"", L""}}));
  CopyFileW((WorkDirectory() + L"\\" + kStylesheetName).c_str(), (AppDirectory() + L"\\" + kStylesheetName).c_str(),
            TRUE);
  for (const QuietOutcome& outcome : Run({L"/quiet", L"/new"}, 2, InputDirectory())) {
    EXPECT_EQ(outcome.exitCode, 0u) << outcome.output;
  }
  ASSERT_EQ(Records().size(), 3u);
  EXPECT_EQ(Utf8(Records().front().workingDirectory), Utf8(AppDirectory()));
  EXPECT_TRUE(Records().front().stylesheetPresent);
  EXPECT_EQ(JournalResults(), std::vector(3, Converted));
}

// Started from a console window with the DOS code page (cmd's, on a Russian Windows): the lines
// go to that console, Russian letters as they are.
TEST_F(QuietRun, LinesOnTheConsoleItWasStartedFrom) {
  CreateInputFile(InputDirectory(), kGood1);
  WritePaths(InputDirectory(), OutputDirectory());
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  SetConsoleOutputCP(866);
  const driver::Process run =
      driver::Process::Launch(AppDirectory() + L"\\vexilate.exe", {L"/quiet", L"/new"}, WorkDirectory());
  EXPECT_EQ(run.WaitForExit(), 0u);
  const HANDLE screen = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO buffer{};
  GetConsoleScreenBufferInfo(screen, &buffer);
  std::wstring shown(
      static_cast<std::size_t>(buffer.dwSize.X) * static_cast<std::size_t>(buffer.dwCursorPosition.Y + 1), L' ');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(screen, shown.data(), static_cast<DWORD>(shown.size()), {0, 0}, &read);
  FreeConsole();
  for (const std::wstring& text : {std::wstring(L"Сконвертирован "), kGood1, std::wstring(L"Сконвертировано: 1")}) {
    EXPECT_NE(shown.find(text), std::wstring::npos) << Utf8(text) << " in\n" << Utf8(shown);
  }
}

}  // namespace
}  // namespace e2e
