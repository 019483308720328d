// The status line: the prompt shown while the window is inactive, and the
// conductor's calls shown large for five seconds after the latest one.
#include <gtest/gtest.h>

#include <QWidget>
#include <chrono>

#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

constexpr char kPrompt[] = "Click here to resume ringing.";

bool ShowsInBigFont(TowerWindow& window) {
    return window.statusLine.Widget()->font() == window.bigFont.Get();
}

// Another application's window takes the activation away from the main window.
class OtherWindow {
public:
    void Activate(TowerWindow& window) {
        other_.resize(100, 100);
        other_.show();
        other_.activateWindow();
        ASSERT_TRUE(platform::PumpUntil([&] { return !window.Widget()->isActiveWindow(); }, 2000));
    }

private:
    QWidget other_;
};

void Reactivate(TowerWindow& window) {
    window.Widget()->activateWindow();
    ASSERT_TRUE(platform::PumpUntil([&] { return window.Widget()->isActiveWindow(); }, 2000));
}

TEST(StatusLine, LosingActivationShowsThePromptAndRegainingItEmptiesTheLine) {
    WindowUnderTest w;
    TowerWindow& window = w.Window();
    // The welcome text shows until the window is first activated.
    EXPECT_EQ(window.statusLine.GetWindowText(), "Welcome to Tolmer");
    ASSERT_TRUE(platform::PumpUntil([&] { return window.Widget()->isActiveWindow(); }, 2000));
    EXPECT_EQ(window.statusLine.GetWindowText(), "");

    OtherWindow other;
    other.Activate(window);
    EXPECT_EQ(window.statusLine.GetWindowText(), kPrompt);
    EXPECT_TRUE(ShowsInBigFont(window));

    Reactivate(window);
    EXPECT_EQ(window.statusLine.GetWindowText(), "");
}

TEST(StatusLine, ACallReplacesThePromptAndTheLineEmptiesWhenItsTimeIsUp) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();
    OtherWindow other;
    other.Activate(window);
    ASSERT_EQ(window.statusLine.GetWindowText(), kPrompt);

    ASSERT_TRUE(w.SendAndWait(CallMessage("Go"), [&] { return window.statusLine.GetWindowText() == "Go"; }));
    EXPECT_TRUE(ShowsInBigFont(window));
    EXPECT_TRUE(window.IsTimerRunning(TIMER_CALL));
    EXPECT_GT(window.TimerRemainingMs(TIMER_CALL), 4500);
    EXPECT_LE(window.TimerRemainingMs(TIMER_CALL), 5000);

    // Five seconds on, the line empties although the window is still inactive.
    window.OnTimer(TIMER_CALL);
    EXPECT_EQ(window.statusLine.GetWindowText(), "");
    EXPECT_FALSE(window.IsTimerRunning(TIMER_CALL));
    EXPECT_FALSE(window.Widget()->isActiveWindow());
}

TEST(StatusLine, LosingActivationWhileACallShowsReplacesTheCall) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();
    ASSERT_TRUE(w.SendAndWait(CallMessage("Bob"), [&] { return window.statusLine.GetWindowText() == "Bob"; }));

    OtherWindow other;
    other.Activate(window);
    EXPECT_EQ(window.statusLine.GetWindowText(), kPrompt);
    // The call's timer still runs and empties whatever the line shows.
    ASSERT_TRUE(window.IsTimerRunning(TIMER_CALL));
    window.OnTimer(TIMER_CALL);
    EXPECT_EQ(window.statusLine.GetWindowText(), "");
}

TEST(StatusLine, AnEmptyCallEmptiesTheLineAndStillStartsTheTimer) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();
    ASSERT_FALSE(window.IsTimerRunning(TIMER_CALL));
    ASSERT_TRUE(w.SendAndWait(CallMessage(""), [&] { return window.IsTimerRunning(TIMER_CALL); }));
    EXPECT_EQ(window.statusLine.GetWindowText(), "");
    EXPECT_GT(window.TimerRemainingMs(TIMER_CALL), 4500);
}

// The one test that waits the real five seconds: the line empties five
// seconds after the latest call, not the first.
TEST(StatusLine, ASecondCallWithinFiveSecondsShowsForAFullFiveSeconds) {
    using Clock = std::chrono::steady_clock;
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();

    const Clock::time_point first = Clock::now();
    ASSERT_TRUE(w.SendAndWait(CallMessage("Go"), [&] { return window.statusLine.GetWindowText() == "Go"; }));
    w.Settle(1000);
    const int leftOfFirst = window.TimerRemainingMs(TIMER_CALL);
    EXPECT_LT(leftOfFirst, 4100);

    const Clock::time_point second = Clock::now();
    ASSERT_TRUE(w.SendAndWait(CallMessage("Bob"), [&] { return window.statusLine.GetWindowText() == "Bob"; }));
    EXPECT_GT(window.TimerRemainingMs(TIMER_CALL), leftOfFirst + 500);

    // Past the first call's five seconds "Bob" still shows.
    ASSERT_TRUE(platform::PumpUntil([&] { return Clock::now() - first > std::chrono::milliseconds(5200); }, 6000));
    EXPECT_EQ(window.statusLine.GetWindowText(), "Bob");
    ASSERT_TRUE(platform::PumpUntil([&] { return window.statusLine.GetWindowText().empty(); }, 3000));
    EXPECT_GE(Clock::now() - second, std::chrono::milliseconds(5000));
    EXPECT_FALSE(window.IsTimerRunning(TIMER_CALL));
}

}  // namespace
