// Allocating bells with the real server: every window, the conductor's
// included, lays the bells out when the records come back.
#include <gtest/gtest.h>

#if defined(TOLMER_HAVE_SERVER) && defined(TOLMER_SERVER_BINARY)

#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"
#include "tests/support/ServerProcess.h"

using namespace testsupport;

namespace {

// Waits until the window shows `count` bells with these upper-button texts
// (bell 1 first) and the ringer's row reads `cell`.
bool Shows(TowerWindow& window, const std::vector<std::string>& upperTexts, const std::string& ringer,
           const std::string& cell) {
    return platform::PumpUntil(
        [&] {
            if (window.bellCount != upperTexts.size() || RingerCell(window, ringer, 1) != cell) return false;
            for (std::size_t bell = 1; bell <= upperTexts.size(); ++bell) {
                const BellSlot* slot = SlotOfBell(window, static_cast<int>(bell));
                if (slot == nullptr || !slot->upperButton->IsWindowVisible() ||
                    slot->upperButton->GetWindowText() != upperTexts[bell - 1])
                    return false;
            }
            return true;
        },
        5000);
}

TEST(BellsDialogEndToEnd, EveryWindowChangesWhenTheAllocationComesBack) {
    ServerProcess server;
    ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY)) << server.Error();
    DialogScript script;
    MessageBoxRecorder boxes;
    std::unique_ptr<TowerWindow> ann = EnterRealTower(server.Port(), script, "Ann", "St Mary");
    ASSERT_NE(ann, nullptr);
    std::unique_ptr<TowerWindow> ben = EnterRealTower(server.Port(), script, "Ben", "St Mary");
    ASSERT_NE(ben, nullptr);
    ASSERT_TRUE(platform::PumpUntil([&] { return ann->ringers.FindRinger("Ben") != nullptr; }, 5000));
    for (TowerWindow* window : {ann.get(), ben.get()}) {
        EXPECT_EQ(window->bellCount, 0);
        EXPECT_TRUE(window->bellsButton.IsWindowVisible());  // nobody conducts yet
    }

    ASSERT_TRUE(AllocateBells(*ann, script, {"Ann", "Ann", "Ben", "Ben", "Ben", "Ben"}));
    // Each window offers its own user's keys: two for Ann, four for Ben.
    EXPECT_TRUE(Shows(*ann, {"&J", "&D", "", "", "", ""}, "Ann", "12 (c)"));
    EXPECT_TRUE(Shows(*ben, {"", "", "&K", "&J", "&D", "&S"}, "Ann", "12 (c)"));
    EXPECT_EQ(RingerCell(*ben, "Ben", 1), "3456");
    EXPECT_TRUE(ann->bellsButton.IsWindowVisible());
    EXPECT_FALSE(ben->bellsButton.IsWindowVisible());  // Ann conducts

    // Ann hands the tower over with four bells; now only Ben may allocate.
    ASSERT_TRUE(AllocateBells(*ann, script, {"Ben", "Ann", "Ben", "Ben"}, "Ben"));
    EXPECT_TRUE(Shows(*ann, {"", "&H", "", ""}, "Ben", "134 (c)"));
    EXPECT_TRUE(Shows(*ben, {"&K", "", "&J", "&D"}, "Ann", "2"));
    EXPECT_FALSE(ann->bellsButton.IsWindowVisible());
    EXPECT_TRUE(ben->bellsButton.IsWindowVisible());
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace

#endif
