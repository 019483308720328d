// A whole practice night: the real tower server and four real clients on
// loopback, from joining to the server going away.
#include <gtest/gtest.h>

#ifdef TOLMER_SERVER_BINARY

#include <QTest>
#include <algorithm>

#include "tests/client/support/TowerScript.h"
#include "tests/support/ServerProcess.h"

using namespace testsupport;

namespace {

// Presses the key shown on the button to ring next of the ringer's bell, as
// the ringer would, and waits until every window has moved that bell.
bool RingByKey(TowerWindow& ringer, int bell, const std::vector<TowerWindow*>& everyone) {
    BellSlot* slot = SlotOfBell(ringer, bell);
    if (!slot) return false;
    const std::string key = slot->stroke == 0 ? slot->upperKey : slot->lowerKey;
    if (key.size() != 1) return false;
    const int stroke = 1 - slot->stroke;
    QWidget* focus = ringer.Widget()->focusWidget();
    QTest::keyClick(focus ? focus : ringer.Widget(), key[0]);
    return platform::PumpUntil(
        [&] {
            return std::all_of(everyone.begin(), everyone.end(), [&](TowerWindow* w) {
                const BellSlot* shown = SlotOfBell(*w, bell);
                return shown && shown->stroke == stroke;
            });
        },
        5000);
}

TEST(PracticeNight, FourRingersRingTogetherUntilTheServerGoes) {
    MessageBoxRecorder boxes;
    DialogScript script;
    ServerProcess server;
    ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY)) << server.Error();

    // One starts the tower; three join it from the list.
    const std::vector<std::string> names{"Ann", "Ben", "Cy", "Di"};
    std::vector<std::unique_ptr<TowerWindow>> windows;
    for (const std::string& name : names) {
        windows.push_back(EnterRealTower(server.Port(), script, name, "St Mary"));
        ASSERT_NE(windows.back(), nullptr) << name;
    }
    std::vector<TowerWindow*> everyone;
    for (auto& w : windows) everyone.push_back(w.get());
    ASSERT_TRUE(platform::PumpUntil([&] {
        return std::all_of(everyone.begin(), everyone.end(), [](TowerWindow* w) { return w->ringers.ringers.size() == 4; });
    }, 5000));

    // The conductor gives bells 1 to 4 and appoints themself.
    TowerWindow& ann = *windows[0];
    ASSERT_TRUE(AllocateBells(ann, script, names, "Ann"));
    // The records come back one by one; the last one gives the last ringer a key.
    ASSERT_TRUE(platform::PumpUntil([&] {
        for (int i = 0; i < 4; ++i) {
            const BellSlot* own = SlotOfBell(*everyone[i], i + 1);
            if (everyone[i]->bellCount != 4 || !own || own->upperKey.empty()) return false;
            for (TowerWindow* w : everyone) {
                const Ringer* ringer = w->ringers.FindRinger(names[i]);
                if (!ringer || ringer->bells != std::string(1, wire::kBellSymbols[i])) return false;
            }
        }
        return true;
    }, 5000));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(SlotOfBell(*everyone[i], i + 1)->upperKey, "H") << names[i];
        EXPECT_EQ(SlotOfBell(*everyone[i], i + 1)->upperButton->GetWindowText(), "&H");
    }
    // Only the conductor keeps the conductor's controls.
    EXPECT_TRUE(ann.bellsButton.IsWindowVisible());
    EXPECT_FALSE(windows[1]->bellsButton.IsWindowVisible());

    // Two rows of rounds, each ringer at the keyboard in turn.
    for (int row = 0; row < 2; ++row)
        for (int bell = 1; bell <= 4; ++bell) ASSERT_TRUE(RingByKey(*everyone[bell - 1], bell, everyone)) << bell;

    // Every window shows the same bells, rows and round-trip times.
    for (TowerWindow* w : everyone) {
        for (int bell = 1; bell <= 4; ++bell) EXPECT_EQ(SlotOfBell(*w, bell)->stroke, 0);
        EXPECT_EQ(Rows(*w), (std::vector<std::string>{"Ann|1 (c)", "Ben|2", "Cy|3", "Di|4"}));
        EXPECT_EQ(Rows(*w, true), Rows(ann, true));
        for (const std::string& name : names) EXPECT_FALSE(RingerCell(*w, name, 2).empty()) << name;
    }

    // A chat line and a call reach everyone, the sender too.
    windows[2]->chatEntry.SetWindowText("Well struck");
    windows[2]->sendButton.Click();
    ann.messageButtons[4]->Click();  // "Bob"
    ASSERT_TRUE(platform::PumpUntil([&] {
        return std::all_of(everyone.begin(), everyone.end(), [](TowerWindow* w) {
            return w->chatDisplay.GetWindowText() == "Cy: Well struck\r\n" && w->statusLine.GetWindowText() == "Bob";
        });
    }, 5000));

    // One ringer goes; the others see it leave and ring on.
    windows[1].reset();
    everyone.erase(everyone.begin() + 1);
    ASSERT_TRUE(platform::PumpUntil([&] {
        return std::all_of(everyone.begin(), everyone.end(), [](TowerWindow* w) { return !w->ringers.FindRinger("Ben"); });
    }, 5000));
    for (TowerWindow* w : everyone) EXPECT_EQ(Rows(*w), (std::vector<std::string>{"Ann|1 (c)", "Cy|3", "Di|4"}));
    ASSERT_TRUE(RingByKey(ann, 1, everyone));
    ASSERT_TRUE(RingByKey(*everyone[2], 4, everyone));

    // The server stops: every client says so and ends.
    boxes.Clear();
    EXPECT_EQ(server.Stop(), 0);
    ASSERT_TRUE(platform::PumpUntil([&] {
        return std::all_of(everyone.begin(), everyone.end(), [](TowerWindow* w) { return w->HasEnded(); });
    }, 10000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>(3, "Connection to Server Lost."));
    EXPECT_EQ(script.Pending(), 0);
}

}  // namespace

#endif  // TOLMER_SERVER_BINARY
