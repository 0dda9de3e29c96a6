// The two directory lookups: where their dialog starts, its title, what Cancel leaves, and
// what a directory typed into an entry does (used by the next lookup, never stored).
#include "tests/e2e/main_window_checks.h"

namespace e2e {
namespace {

struct Lookup {
  const char* name;
  int button;
  int entry;
  const wchar_t* key;
};

constexpr Lookup kInput{"Input", BUTTONLOOKUPPATHIN, PATHIN, L"PathIn"};
constexpr Lookup kOutput{"Output", BUTTONLOOKUPPATHOUT, PATHOUT, L"PathOut"};

void PrintTo(const Lookup& lookup, std::ostream* out) { *out << lookup.name; }

class DirectoryLookup : public MainWindowTest, public ::testing::WithParamInterface<Lookup> {};

TEST_P(DirectoryLookup, DialogCarriesTheInputDirectoryTitle) {
  Start();
  Press(GetParam().button);
  const driver::Window dialog = driver::WaitForClassicFileDialog(Program().Id());
  EXPECT_EQ(dialog.Text(), L"Выбор директории входящих документов") << "title \"" << Utf8(dialog.Text()) << "\"";
  driver::CancelDialog(dialog);
}

// With nothing usable in the entry the dialog opens where the program was started.
TEST_P(DirectoryLookup, BlankOrMissingDirectoryStartsWhereTheProgramStarted) {
  const std::wstring started = Path(L"Запуск.здесь");
  driver::MakeDirectories(started);
  for (const std::wstring& stored : {std::wstring(), Path(L"Удалённый")}) {
    SCOPED_TRACE("stored value \"" + Utf8(stored) + "\"");
    std::optional<std::string> settings;
    if (stored.empty()) {
      DeleteFileW(SettingsFile().c_str());
    } else {
      settings = PathsSection(GetParam().key, stored);
      WriteSettings(*settings);
    }
    Start(started);
    const driver::Window dialog = OpenLookup(GetParam().button);
    ExpectDialogShows(dialog, started);
    driver::CancelDialog(dialog);
    ExpectShows(GetParam().entry, stored);
    ASSERT_EQ(Exit(), 0u);
    ExpectSettings(settings);
  }
}

TEST_P(DirectoryLookup, StoredDirectoryIsTheStartAndCancelChangesNothing) {
  const std::wstring input = Path(L"Вход");
  const std::wstring output = Path(L"Выход");
  const std::wstring elsewhere = Path(L"Другой");
  for (const auto& directory : {input, output, elsewhere}) driver::MakeDirectories(directory);
  // Written loosely on purpose: a rewrite by the platform would tidy it.
  const std::string settings =
      AnsiBytes(L"[Paths]\r\nPathIn = " + input + L"\\ \r\n\r\nPathOut = " + output + L"\\ \r\n");
  WriteSettings(settings);
  Start();

  const driver::Window dialog = OpenLookup(GetParam().button);
  ExpectDialogShows(dialog, GetParam().entry == PATHIN ? input : output);
  // Wander off in the dialog before giving up.
  driver::GoToDirectoryInClassicDialog(dialog, elsewhere);
  driver::CancelDialog(dialog);

  ExpectShows(PATHIN, input + L"\\");
  ExpectShows(PATHOUT, output + L"\\");
  ExpectSettings(settings);
  ExpectOnlyMainWindow();
  ExpectCurrentDirectory(WorkDirectory(), "after a cancelled lookup");
}

// A person either types the directory or pastes it; both reach the program as the entry's text.
enum class Entering { SetText, TypedKeys };

struct TypedCase {
  const char* name;
  Lookup lookup;
  Entering entering;
};

void PrintTo(const TypedCase& typed, std::ostream* out) { *out << typed.name; }

class TypedDirectory : public MainWindowTest, public ::testing::WithParamInterface<TypedCase> {
 protected:
  void Enter(int entry, const std::wstring& text) {
    if (GetParam().entering == Entering::SetText) {
      ControlWindow(entry).SetText(text);
      return;
    }
    // Tab moves the focus from its button to the entry and selects the text there, so the
    // typed text replaces it.
    ExpectFocusOn(BUTTONLOOKUPPATHIN);
    driver::PressKeys(MainWindow(), {driver::Key::Tab});
    if (entry == PATHOUT) driver::PressKeys(MainWindow(), {driver::Key::Tab, driver::Key::Tab});
    ExpectFocusOn(entry);
    driver::TypeText(MainWindow(), text);
  }
};

TEST_P(TypedDirectory, StartsTheNextLookupButIsNotStored) {
  const Lookup& lookup = GetParam().lookup;
  const std::wstring stored = Path(L"Сохранённый");
  const std::wstring typed = Path(L"Набранный.вручную");
  driver::MakeDirectories(stored);
  driver::MakeDirectories(typed);
  const std::string settings = PathsSection(lookup.key, stored + L"\\");
  WriteSettings(settings);
  Start();
  ExpectShows(lookup.entry, stored + L"\\");

  Enter(lookup.entry, typed);
  ExpectShows(lookup.entry, typed);
  const driver::Window dialog = OpenLookup(lookup.button);
  ExpectDialogShows(dialog, typed);
  driver::CancelDialog(dialog);
  ExpectShows(lookup.entry, typed);
  ExpectSettings(settings);

  Restart();
  ExpectShows(lookup.entry, stored + L"\\");
  ExpectSettings(settings);
}

INSTANTIATE_TEST_SUITE_P(Lookups, DirectoryLookup, ::testing::Values(kInput, kOutput), CaseName<Lookup>);

INSTANTIATE_TEST_SUITE_P(Lookups, TypedDirectory,
                         ::testing::Values(TypedCase{"InputSetText", kInput, Entering::SetText},
                                           TypedCase{"OutputSetText", kOutput, Entering::SetText},
                                           TypedCase{"InputTypedKeys", kInput, Entering::TypedKeys},
                                           TypedCase{"OutputTypedKeys", kOutput, Entering::TypedKeys}),
                         CaseName<TypedCase>);

}  // namespace
}  // namespace e2e
