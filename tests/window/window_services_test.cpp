// The window services on the real platform, in the test's own thread: a small window built
// from a definition, driven by posted messages, its events read back through NextEvent.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/system/win32_api.h"
#include "runtime/window/beep.h"
#include "runtime/window/dialog_services.h"

namespace rt {
namespace {

constexpr LONG kFirst = 1;     // button
constexpr LONG kEntryA = 2;    // entry, picture s10
constexpr LONG kSecond = 3;    // button
constexpr LONG kEntryB = 4;    // entry, picture s255
constexpr LONG kClose = 5;     // button with the standard close action
constexpr LONG kSentinel = 6;  // pressed by a test to mark the end of what it expects

constexpr ControlDefinition kControls[] = {
    {kFirst, ControlKind::Button, "?FIRST", u"Первая", 4, 4, 60, 14, std::nullopt},
    {kEntryA, ControlKind::Entry, "?ENTRYA", u"s10", 70, 4, 100, 14, Colour{0, 128, 192}},
    {kSecond, ControlKind::Button, "?SECOND", u"Вторая", 4, 24, kDefault, 14, std::nullopt},
    {kEntryB, ControlKind::Entry, "?ENTRYB", u"s255", 70, 24, 100, 14, std::nullopt},
    {kClose, ControlKind::Button, "?CLOSE", u"Закрыть", 4, 44, 60, 14, std::nullopt, kStandardClose},
    {kSentinel, ControlKind::Button, "?SENTINEL", u"Метка", 70, 44, 60, 14, std::nullopt},
};

constexpr WindowDefinition kDefinition{
    u"Окно проверки", 180, 64, {u"MS Sans Serif", 8, 700}, u"", true, kControls,
};

HWND ControlWindow(LONG number) { return GetDlgItem(reinterpret_cast<HWND>(WindowHandle()), kControlIdBase + number); }

Text ControlText(LONG number) {
  wchar_t text[1024] = {};
  GetWindowTextW(ControlWindow(number), text, 1024);
  return FromWide(text);
}

void Press(LONG number) { PostMessageW(ControlWindow(number), BM_CLICK, 0, 0); }

// The button's notification alone: a click would also activate the window.
void NotifyPressed(LONG number) {
  PostMessageW(reinterpret_cast<HWND>(WindowHandle()), WM_COMMAND, MAKEWPARAM(kControlIdBase + number, BN_CLICKED),
               reinterpret_cast<LPARAM>(ControlWindow(number)));
}

struct SeenEvent {
  LONG code, field;
  bool operator==(const SeenEvent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SeenEvent& e) {
  return out << "{event " << e.code << ", control " << e.field << "}";
}

class WindowServices : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = OpenWindow(kDefinition, {entryA_.field(), entryB_.field()});
    ASSERT_NE(window_, nullptr) << "the window could not be created";
  }
  void TearDown() override {
    if (window_) CloseWindow(window_);
    EXPECT_EQ(WindowHandle(), 0) << "no window is current after CloseWindow";
  }

  // Every event up to the sentinel press, which the test posts last.
  std::vector<SeenEvent> EventsUntilSentinel() {
    NotifyPressed(kSentinel);
    std::vector<SeenEvent> seen;
    while (NextEvent(0)) {
      if (EVENT() == EVENT_Accepted && FIELD() == kSentinel) return seen;
      seen.push_back({EVENT(), FIELD()});
      if (seen.size() > 20) break;
    }
    ADD_FAILURE() << "the window closed or ran away before the sentinel press";
    return seen;
  }

  void OpenAndSettle() {
    DisplayWindow(window_);
    EventsUntilSentinel();
  }

  Window* window_ = nullptr;
  STRING<20> entryA_;
  STRING<1000> entryB_;
};

TEST_F(WindowServices, OpenWindowComesFirstThenButtonPresses) {
  DisplayWindow(window_);
  Press(kSecond);
  Press(kFirst);
  const std::vector<SeenEvent> events = EventsUntilSentinel();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), (SeenEvent{EVENT_OpenWindow, 0}));
  std::vector<SeenEvent> presses;
  for (const auto& e : events) {
    if (e.code == EVENT_Accepted) presses.push_back(e);
  }
  EXPECT_EQ(presses, (std::vector<SeenEvent>{{EVENT_Accepted, kSecond}, {EVENT_Accepted, kFirst}}));
  EXPECT_TRUE(IsWindowVisible(reinterpret_cast<HWND>(WindowHandle())));
}

TEST_F(WindowServices, ActivationGivesGainFocus) {
  OpenAndSettle();
  HWND other =
      CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  SetActiveWindow(other);
  ASSERT_EQ(GetActiveWindow(), other) << "the other window did not become active";
  EXPECT_EQ(EventsUntilSentinel(), std::vector<SeenEvent>{}) << "losing the activation is no event";
  SetActiveWindow(reinterpret_cast<HWND>(WindowHandle()));
  EXPECT_EQ(EventsUntilSentinel(), (std::vector<SeenEvent>{{EVENT_GainFocus, 0}}));

  SetActiveWindow(other);  // a click on an inactive window activates it first
  Press(kFirst);
  EXPECT_EQ(EventsUntilSentinel(), (std::vector<SeenEvent>{{EVENT_GainFocus, 0}, {EVENT_Accepted, kFirst}}));
  DestroyWindow(other);
}

TEST_F(WindowServices, CloseMessageEndsTheLoop) {
  OpenAndSettle();
  PostMessageW(reinterpret_cast<HWND>(WindowHandle()), WM_CLOSE, 0, 0);
  EXPECT_FALSE(NextEvent(0)) << "NextEvent goes on after WM_CLOSE";
  EXPECT_FALSE(NextEvent(0)) << "NextEvent goes on after the window has closed";
}

TEST_F(WindowServices, StandardCloseButtonClosesTheWindow) {
  OpenAndSettle();
  Press(kClose);
  EXPECT_FALSE(NextEvent(0)) << "the close button delivered an event instead of closing";
}

TEST_F(WindowServices, VariablesShowAfterTheHandlerChangesThem) {
  entryA_ = u"before";
  OpenAndSettle();
  EXPECT_EQ(ControlText(kEntryA), u"before");
  Press(kFirst);
  ASSERT_TRUE(NextEvent(0));
  ASSERT_EQ(FIELD(), kFirst);
  entryA_ = u"after";  // the handler changes the variable and shows nothing itself
  entryB_ = u"C:\\DATA\\OUT\\";
  EventsUntilSentinel();
  EXPECT_EQ(ControlText(kEntryA), u"after");
  EXPECT_EQ(ControlText(kEntryB), u"C:\\DATA\\OUT\\");
}

TEST_F(WindowServices, TypedTextReachesTheVariableBlankPadded) {
  OpenAndSettle();
  SetFocus(ControlWindow(kEntryB));
  for (const wchar_t c : std::wstring(L"D:\\ВХОД")) PostMessageW(ControlWindow(kEntryB), WM_CHAR, c, 0);
  Press(kFirst);
  const std::vector<SeenEvent> events = EventsUntilSentinel();
  EXPECT_EQ(events, (std::vector<SeenEvent>{{EVENT_Accepted, kFirst}}));
  EXPECT_EQ(CLIP(entryB_), u"D:\\ВХОД");
  EXPECT_EQ(entryB_.view().size(), 1000u);
}

TEST_F(WindowServices, EntryAcceptsNoMoreThanItsPicture) {
  OpenAndSettle();
  SetFocus(ControlWindow(kEntryA));
  for (unsigned i = 0; i < 15; ++i) PostMessageW(ControlWindow(kEntryA), WM_CHAR, L'0' + i % 10, 0);
  SetFocus(ControlWindow(kEntryB));
  for (int i = 0; i < 300; ++i) PostMessageW(ControlWindow(kEntryB), WM_CHAR, L'x', 0);
  EventsUntilSentinel();
  EXPECT_EQ(ControlText(kEntryA), u"0123456789") << "picture s10";
  EXPECT_EQ(CLIP(entryA_), u"0123456789");
  EXPECT_EQ(ControlText(kEntryB).size(), 255u) << "picture s255";
}

TEST_F(WindowServices, RedisplayControlsRanges) {
  OpenAndSettle();
  const struct {
    LONG first, last;
    bool showsA, showsB;
  } cases[] = {
      {kEntryA, 0, true, false}, {kEntryB, 0, false, true},      {0, 0, true, true},
      {0, 7, true, true},        {kEntryB, kEntryA, true, true}, {kFirst, kSecond, true, false},
  };
  int round = 0;
  for (const auto& c : cases) {
    SetWindowTextW(ControlWindow(kEntryA), L"");
    SetWindowTextW(ControlWindow(kEntryB), L"");
    const Text a = u"a" + Text(1, static_cast<char16_t>(u'0' + round));
    const Text b = u"b" + Text(1, static_cast<char16_t>(u'0' + round));
    entryA_ = a;
    entryB_ = b;
    ++round;
    RedisplayControls(c.first, c.last);
    EXPECT_EQ(ControlText(kEntryA) == a, c.showsA) << "RedisplayControls(" << c.first << ", " << c.last << ")";
    EXPECT_EQ(ControlText(kEntryB) == b, c.showsB) << "RedisplayControls(" << c.first << ", " << c.last << ")";
  }
}

TEST_F(WindowServices, SelectControlMovesTheFocus) {
  OpenAndSettle();
  for (const LONG number : {kSecond, kEntryB, kFirst}) {
    SelectControl(number, 0, 0);
    EXPECT_EQ(GetFocus(), ControlWindow(number)) << "control " << number;
  }
}

TEST_F(WindowServices, SelectAllFlagRules) {
  OpenAndSettle();
  SelectControl(kFirst, 0, 0);
  EXPECT_FALSE(SelectAllPending());
  SelectControl(0, 0, 0);
  EXPECT_TRUE(SelectAllPending());
  EXPECT_EQ(GetFocus(), ControlWindow(kFirst)) << "control 0 moves the focus nowhere";

  SelectControl(kSecond, 0, 0);  // not the current event's control: nothing happens
  EXPECT_TRUE(SelectAllPending());
  EXPECT_EQ(GetFocus(), ControlWindow(kFirst));

  Press(kSecond);
  ASSERT_TRUE(NextEvent(0));
  ASSERT_EQ(FIELD(), kSecond);
  SelectControl(0, 0, 0);
  SelectControl(kSecond, 0, 0);  // the current event's control
  EXPECT_FALSE(SelectAllPending());
  EXPECT_EQ(GetFocus(), ControlWindow(kSecond));
}

TEST_F(WindowServices, KeyCodeCanBeReplaced) {
  OpenAndSettle();
  SetKeyCode(MouseRight);
  EXPECT_EQ(KEYCODE(), MouseRight);
  SetKeyCode(0x1234);  // only the low 11 bits
  EXPECT_EQ(KEYCODE(), 0x1234 & 0x7FF);
  SetKeyCode(0);
  EXPECT_EQ(KEYCODE(), 0);
}

TEST_F(WindowServices, DefaultWidthFitsTheCaption) {
  OpenAndSettle();
  HWND button = ControlWindow(kSecond);
  RECT rect{};
  GetClientRect(button, &rect);
  HDC dc = GetDC(button);
  SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
  SIZE caption{};
  GetTextExtentPoint32W(dc, L"Вторая", 6, &caption);
  ReleaseDC(button, dc);
  EXPECT_GT(rect.right, caption.cx) << "a default-width button cuts its caption";
}

std::vector<std::uint32_t> g_beeps;
void RecordBeep(std::uint32_t type) { g_beeps.push_back(type); }

TEST(Beep, SilentWhenEitherArgumentIsZero) {
  const BeepSink previous = SetBeepSink(&RecordBeep);
  const struct {
    LONG sound, enable;
    std::vector<std::uint32_t> played;
  } cases[] = {
      {150, 16, {0xFFFFFFFFu}}, {0, 16, {}}, {150, 0, {}}, {0x30, 1, {0x30u}},  // MB_ICONEXCLAMATION passes through
  };
  for (const auto& c : cases) {
    g_beeps.clear();
    Beep(c.sound, c.enable);
    EXPECT_EQ(g_beeps, c.played) << "Beep(" << c.sound << ", " << c.enable << ")";
  }
  SetBeepSink(previous);
}

TEST(WindowServicesWithoutWindow, NothingHappensAndNothingBreaks) {
  EXPECT_EQ(WindowHandle(), 0);
  EXPECT_FALSE(NextEvent(0));
  SelectControl(1, 0, 0);
  RedisplayControls(0, 0);
  EXPECT_FALSE(SelectAllPending());
  EXPECT_EQ(EVENT(), 0);
  EXPECT_EQ(FIELD(), 0);
}

}  // namespace
}  // namespace rt
