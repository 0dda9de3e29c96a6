// The main window on a machine whose ANSI code page is the Western one (1252): the Russian
// texts still come out right, an ASCII directory still round-trips through the settings file,
// and a Cyrillic one, which the file cannot carry, does no harm.
#include "tests/e2e/main_window_checks.h"

namespace e2e {
namespace {

constexpr UINT kWesternCodePage = 1252;

class EnglishLocale : public MainWindowTest {
 protected:
  void SetUp() override {
    // The code page is fixed when the Wine server starts; CTest runs these tests in a prefix
    // of their own with a Western locale.
    ASSERT_EQ(GetACP(), kWesternCodePage) << "these tests need a Western locale (run them through CTest)";
  }
};

TEST_F(EnglishLocale, RussianTextsStayRight) {
  Start();
  EXPECT_EQ(MainWindow().Text(), kMainTitle) << "title \"" << Utf8(MainWindow().Text()) << "\"";
  struct Caption {
    int control;
    const wchar_t* text;
  };
  for (const Caption& caption : {Caption{BUTTONLOOKUPPATHIN, L"Путь к входному  файлу"},
                                 Caption{BUTTONLOOKUPPATHOUT, L"Путь для выходного  файлу"},
                                 Caption{BUTTONCONVERT, L"Конвертация"}, Caption{BUTTONEXIT, L"Выход"}}) {
    EXPECT_EQ(ControlText(caption.control), caption.text)
        << "control " << caption.control << " shows \"" << Utf8(ControlText(caption.control)) << "\"";
  }
  const driver::Window dialog = OpenLookup(BUTTONLOOKUPPATHOUT);
  EXPECT_EQ(dialog.Text(), L"Выбор директории входящих документов") << "title \"" << Utf8(dialog.Text()) << "\"";
  driver::CancelDialog(dialog);
  EXPECT_EQ(Exit(), 0u);
}

TEST_F(EnglishLocale, AsciiDirectoryRoundTrips) {
  const std::wstring output = Path(L"Output.files");
  driver::MakeDirectories(output);
  Start();
  LookUp(BUTTONLOOKUPPATHOUT, output);
  ExpectShows(PATHOUT, output + L"\\");
  ExpectSettings("[Paths]\r\nPathOut=" + AnsiBytes(output, kWesternCodePage) + "\\\r\n");
  Restart();
  ExpectShows(PATHOUT, output + L"\\");
}

TEST_F(EnglishLocale, CyrillicDirectoryIsKeptForTheSessionAndDoesNoHarm) {
  const std::wstring input = Path(L"Вход.данные");
  driver::MakeDirectories(input);
  Start();
  LookUp(BUTTONLOOKUPPATHIN, input);
  ExpectShows(PATHIN, input + L"\\");
  ExpectOnlyMainWindow();
  // The file holds what code page 1252 can say of the name: its Cyrillic letters are lost.
  const std::string stored = AnsiBytes(input + L"\\", kWesternCodePage);
  ExpectSettings("[Paths]\r\nPathIn=" + stored + "\r\n");

  Restart();
  ExpectShows(PATHIN, FromAnsi(stored, kWesternCodePage));
  ExpectOnlyMainWindow();
  EXPECT_EQ(Exit(), 0u);
}

}  // namespace
}  // namespace e2e
