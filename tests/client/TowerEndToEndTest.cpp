// Starting, joining and sharing a tower with the real server: windows that
// find each other through the tower list and agree on who rings what.
#include <gtest/gtest.h>

#if defined(TOLMER_HAVE_SERVER) && defined(TOLMER_SERVER_BINARY)

#include "lobby/JoinTowerDialog.h"
#include "resources/ResourceIds.h"
#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"
#include "tests/support/ServerProcess.h"

using namespace testsupport;

namespace {

std::vector<std::string> Listed(JoinTowerDialog& join) {
    std::vector<std::string> rows;
    for (int row = 0; row < join.towerListView.GetItemCount(); ++row)
        rows.push_back(join.towerListView.GetItemText(row, 0) + "|" + join.towerListView.GetItemText(row, 1));
    return rows;
}

bool AllShow(const std::vector<TowerWindow*>& windows, const std::vector<std::string>& rows) {
    return platform::PumpUntil(
        [&] {
            for (TowerWindow* window : windows)
                if (Rows(*window) != rows) return false;
            return true;
        },
        5000);
}

TEST(TowerEndToEnd, OneStartsATowerTheOthersJoinItAndAllSeeTheSameRows) {
    ServerProcess server;
    ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY)) << server.Error();
    DialogScript script;
    MessageBoxRecorder boxes;

    // No towers yet: Ann's dialog opens to start one.
    script.Then(OnJoinDialog([](JoinTowerDialog& join) {
        EXPECT_TRUE(join.startRadio.GetCheck());
        EXPECT_EQ(join.towerListView.GetItemCount(), 0);
        join.userNameEdit.SetWindowText("Ann");
        join.towerNameEdit.SetWindowText("St Mary");
        join.descriptionEdit.SetWindowText("Ring of six");
        join.SendCommand(platform::IDOK);
    }));
    std::unique_ptr<TowerWindow> ann = OpenWindowOn(server.Port());
    ASSERT_TRUE(platform::PumpUntil([&] { return ann->currentTower == "St Mary" && Rows(*ann).size() == 1; }, 10000));
    EXPECT_EQ(Rows(*ann), std::vector<std::string>{"Ann|"});

    // Ben sees it listed and joins it.
    script.Then(OnJoinDialog([](JoinTowerDialog& join) {
        EXPECT_TRUE(join.joinRadio.GetCheck());
        EXPECT_EQ(Listed(join), std::vector<std::string>{"St Mary|Ring of six"});
        join.userNameEdit.SetWindowText("Ben");
        join.towerListView.SetSelectionMark(0);
        join.SendCommand(platform::IDOK);
    }));
    std::unique_ptr<TowerWindow> ben = OpenWindowOn(server.Port());
    ASSERT_TRUE(platform::PumpUntil([&] { return ben->currentTower == "St Mary"; }, 10000));

    // Cy tries to start a tower of the same name: the server's notice, then
    // the dialog again with Cy's name, and this time Cy joins.
    script.Then(OnJoinDialog([](JoinTowerDialog& join) {
        join.userNameEdit.SetWindowText("Cy");
        join.SendCommand(ids::IDC_START_RADIO);
        join.towerNameEdit.SetWindowText("St Mary");
        join.SendCommand(platform::IDOK);
    }));
    script.Then(OnJoinDialog([&](JoinTowerDialog& join) {
        EXPECT_EQ(boxes.Texts().size(), 1u);
        EXPECT_EQ(join.userNameEdit.GetWindowText(), "Cy");
        EXPECT_TRUE(join.joinRadio.GetCheck());
        join.towerListView.SetSelectionMark(0);
        join.SendCommand(platform::IDOK);
    }));
    std::unique_ptr<TowerWindow> cy = OpenWindowOn(server.Port());
    ASSERT_TRUE(platform::PumpUntil([&] { return cy->currentTower == "St Mary"; }, 10000));
    EXPECT_EQ(script.Opened(), 4);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find("already"), std::string::npos) << boxes.Texts()[0];

    const std::vector<TowerWindow*> everyone{ann.get(), ben.get(), cy.get()};
    ASSERT_TRUE(platform::PumpUntil(
        [&] {
            for (TowerWindow* window : everyone)
                if (Rows(*window).size() != 3) return false;
            return true;
        },
        5000));

    // Ann allocates; every window lists the ringers alike, by their bells.
    ASSERT_TRUE(AllocateBells(*ann, script, {"Cy", "Cy", "Ann", "Ann", "Ben", "Ben"}));
    EXPECT_TRUE(AllShow(everyone, {"Cy|12", "Ann|34 (c)", "Ben|56"}));
    ASSERT_TRUE(AllocateBells(*ann, script, {"Ben", "Ann", "Ann", "Cy", "Cy"}, "Ben"));
    EXPECT_TRUE(AllShow(everyone, {"Ben|1 (c)", "Ann|23", "Cy|45"}));
    EXPECT_EQ(cy->slots[3].bell, 1);  // five bells: bell 1 in the fourth column from the right
    EXPECT_EQ(boxes.Texts().size(), 1u);

    // Ben leaves: his row goes from every other window.
    ben.reset();
    EXPECT_TRUE(AllShow({ann.get(), cy.get()}, {"Ann|23", "Cy|45"}));
}

}  // namespace

#endif
