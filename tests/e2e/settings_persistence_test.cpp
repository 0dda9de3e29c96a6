// The settings file beside the executable as the user's choices shape it: created by the
// first confirmed lookup, read back on the next start, other contents left alone.
#include "tests/e2e/main_window_checks.h"

namespace e2e {
namespace {

constexpr std::size_t kEntryLimit = 255;  // the entries' picture "s255"

class SettingsPersistence : public MainWindowTest {};

TEST_F(SettingsPersistence, FirstRunShowsBlankEntriesAndCreatesNoFile) {
  Start();
  ExpectShows(PATHIN, L"");
  ExpectShows(PATHOUT, L"");
  ExpectFocusOn(BUTTONLOOKUPPATHIN);
  ExpectSettings(std::nullopt);
  ASSERT_EQ(Exit(), 0u);
  ExpectSettings(std::nullopt);
}

TEST_F(SettingsPersistence, ConfirmedLookupsCreateTheFileKeyByKeyAndTheNextStartShowsThem) {
  const std::wstring output = Path(L"Выход.данные");
  const std::wstring input = Path(L"Вход");
  driver::MakeDirectories(output);
  driver::MakeDirectories(input);
  Start();

  LookUp(BUTTONLOOKUPPATHOUT, output);
  ExpectShows(PATHOUT, output + L"\\");
  ExpectShows(PATHIN, L"");
  ExpectSettings(PathsSection(L"PathOut", output + L"\\"));
  ExpectCurrentDirectory(WorkDirectory(), "after a confirmed lookup");

  LookUp(BUTTONLOOKUPPATHIN, input);
  ExpectShows(PATHIN, input + L"\\");
  ExpectShows(PATHOUT, output + L"\\");
  ExpectSettings(PathsSection(L"PathOut", output + L"\\") + KeyLine(L"PathIn", input + L"\\"));

  Restart();
  ExpectShows(PATHIN, input + L"\\");
  ExpectShows(PATHOUT, output + L"\\");
}

TEST_F(SettingsPersistence, LaterChoiceReplacesTheValueInPlace) {
  const std::wstring first = Path(L"Первый");
  const std::wstring second = Path(L"Второй");
  driver::MakeDirectories(first);
  driver::MakeDirectories(second);
  WriteSettings("[Paths]\r\n" + KeyLine(L"PathIn", first + L"\\") + KeyLine(L"PathOut", first + L"\\"));
  Start();
  LookUp(BUTTONLOOKUPPATHIN, second);
  ExpectShows(PATHIN, second + L"\\");
  ExpectSettings("[Paths]\r\n" + KeyLine(L"PathIn", second + L"\\") + KeyLine(L"PathOut", first + L"\\"));
}

TEST_F(SettingsPersistence, OtherSectionsKeysAndCommentsSurviveAWrite) {
  const std::wstring output = Path(L"Выход");
  driver::MakeDirectories(output);
  // Blanks around "=" and blank lines are the platform's to tidy when it rewrites the file.
  WriteSettings(
      AnsiBytes(L"; Настройки конвертации\r\n"
                L"[Прочее]\r\n"
                L"Ключ = Значение \r\n"
                L"\r\n"
                L"[Paths]\r\n"
                L"; выбранные директории\r\n"
                L"PathIn=C:\\Вход\\\r\n"
                L"Extra=1\r\n"
                L"[Tail]\r\n"
                L"Last=2\r\n"));
  Start();
  LookUp(BUTTONLOOKUPPATHOUT, output);
  ExpectShows(PATHOUT, output + L"\\");
  ExpectSettings(
      AnsiBytes(L"; Настройки конвертации\r\n"
                L"[Прочее]\r\n"
                L"Ключ=Значение\r\n"
                L"[Paths]\r\n"
                L"; выбранные директории\r\n"
                L"PathIn=C:\\Вход\\\r\n"
                L"Extra=1\r\n"
                L"PathOut=" +
                output +
                L"\\\r\n"
                L"[Tail]\r\n"
                L"Last=2\r\n"));
}

// A settings file that cannot be used as text (a NUL byte left by a crash) is never rewritten:
// the choice is kept in the user's own file and is back after a restart.
TEST_F(SettingsPersistence, ChoiceBesideADamagedFileIsKeptInTheUsersOwn) {
  const std::string damaged("[Paths]\r\nPathIn=C:\\\0\r\n", 20);
  const std::vector<driver::EnvironmentVariable> appData{{L"APPDATA", Path(L"AppData")}};
  const std::wstring output = Path(L"Выход");
  for (const std::wstring& directory : {appData[0].value, output}) driver::MakeDirectories(directory);
  WriteSettings(damaged);
  Start({}, appData);
  LookUp(BUTTONLOOKUPPATHOUT, output);
  ASSERT_EQ(Exit(), 0u) << "no message";
  Start({}, appData);
  ExpectShows(PATHOUT, output + L"\\");
  EXPECT_NE(driver::ReadTextFile(appData[0].value + L"\\Vexilate\\Vexilate.INI").find("PathOut="), std::string::npos);
  ExpectSettings(damaged);
}

struct StoredValue {
  const char* name;
  std::wstring value;
};

void PrintTo(const StoredValue& stored, std::ostream* out) { *out << stored.name; }

std::wstring Repeated(const std::wstring& piece, std::size_t length) {
  std::wstring text;
  while (text.size() < length) text += piece;
  text.resize(length);
  return text;
}

class StoredValues : public MainWindowTest, public ::testing::WithParamInterface<StoredValue> {};

// Values are read as text, whatever they name, and shown up to the entries' 255 characters.
TEST_P(StoredValues, AreShownUpToTheEntryLimit) {
  const std::wstring& value = GetParam().value;
  WriteSettings("[Paths]\r\n" + KeyLine(L"PathIn", value) + KeyLine(L"PathOut", L"D:\\" + value));
  Start();
  ExpectShows(PATHIN, value.substr(0, kEntryLimit));
  ExpectShows(PATHOUT, (L"D:\\" + value).substr(0, kEntryLimit));
}

INSTANTIATE_TEST_SUITE_P(Values, StoredValues,
                         ::testing::Values(StoredValue{"Cyrillic", L"C:\\Документы\\Входящие Ёё\\"},
                                           StoredValue{"Exactly255", L"C:\\" + Repeated(L"абв\\", kEntryLimit - 3)},
                                           StoredValue{"Longer", L"C:\\" + Repeated(L"Каталог\\", 300)},
                                           StoredValue{"Longest", L"C:\\" + Repeated(L"x", 1000)},
                                           StoredValue{"NoSuchDirectory", L"Q:\\нет такой\\"}),
                         CaseName<StoredValue>);

}  // namespace
}  // namespace e2e
