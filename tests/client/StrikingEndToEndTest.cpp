// Striking with the real server: a strike made in one window moves the bell
// in every window of the tower, the striker's included.
#include <gtest/gtest.h>

#if defined(TOLMER_HAVE_SERVER) && defined(TOLMER_SERVER_BINARY)

#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"
#include "tests/support/ServerProcess.h"

using namespace testsupport;

namespace {

// Ann, Ben and Cy in one tower; Ann allocates two bells to each.
class StrikingEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY)) << server.Error();
        for (const char* name : {"Ann", "Ben", "Cy"}) {
            std::unique_ptr<TowerWindow> window = EnterRealTower(server.Port(), script, name, "St Mary");
            ASSERT_NE(window, nullptr) << name << " did not get into the tower";
            everyone.push_back(window.get());
            windows.push_back(std::move(window));
        }
        ASSERT_TRUE(platform::PumpUntil([&] { return Ann().ringers.ringers.size() == 3; }, 5000));
        ASSERT_TRUE(AllocateBells(Ann(), script, {"Ann", "Ann", "Ben", "Ben", "Cy", "Cy"}));
        ASSERT_TRUE(platform::PumpUntil(
            [&] {
                for (TowerWindow* window : everyone) {
                    const BellSlot* tenor = SlotOfBell(*window, 6);
                    if (tenor == nullptr || tenor->ringerName != "Cy") return false;
                }
                return true;
            },
            5000));
    }
    void TearDown() override { EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front(); }

    TowerWindow& Ann() { return *windows[0]; }
    TowerWindow& Ben() { return *windows[1]; }
    TowerWindow& Cy() { return *windows[2]; }

    ServerProcess server;  // outlives the windows
    DialogScript script;
    MessageBoxRecorder boxes;
    std::vector<std::unique_ptr<TowerWindow>> windows;
    std::vector<TowerWindow*> everyone;
};

TEST_F(StrikingEndToEnd, AStrikeMovesTheNumberInEveryWindowOfTheTower) {
    ASSERT_TRUE(RingAndWait(Ann(), 1, everyone));
    for (TowerWindow* window : everyone) {
        EXPECT_EQ(SlotOfBell(*window, 1)->upperButton->GetWindowText(), "1");
    }
    // Only the striker's window offers the key for the next stroke.
    EXPECT_EQ(SlotOfBell(Ann(), 1)->lowerButton->GetWindowText(), "&N");
    EXPECT_EQ(SlotOfBell(Ben(), 1)->lowerButton->GetWindowText(), "");

    ASSERT_TRUE(RingAndWait(Cy(), 6, everyone));
    ASSERT_TRUE(RingAndWait(Ben(), 4, everyone));
    ASSERT_TRUE(RingAndWait(Ann(), 1, everyone));
    for (TowerWindow* window : everyone) {
        EXPECT_EQ(SlotOfBell(*window, 1)->stroke, 0);
        EXPECT_EQ(SlotOfBell(*window, 1)->lowerButton->GetWindowText(), "1");
        EXPECT_EQ(SlotOfBell(*window, 4)->upperButton->GetWindowText(), "4");
        EXPECT_EQ(SlotOfBell(*window, 6)->upperButton->GetWindowText(), "6");
        EXPECT_EQ(SlotOfBell(*window, 2)->stroke, 0);  // unstruck bells stay put
    }
}

}  // namespace

#endif
