// Reaching the server, joining a tower and losing the server, as users meet
// them: real windows against the real server.
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "lobby/JoinTowerDialog.h"
#include "tests/client/support/Harness.h"

namespace {

using namespace testsupport;

TEST_F(RealTowerTest, OneStartsATowerAnotherJoinsItAfterANoticeAThirdGivesUpAndLosingTheServerEndsTheRest) {
    // Ann has named the server once, in her settings file, and starts the
    // client without a switch.
    const QTemporaryDir config;
    std::filesystem::create_directories(config.path().toStdString() + "/tolmer");
    std::ofstream(config.path().toStdString() + "/tolmer/server") << "localhost:" << server.Port() << "\n";
    const ScopedVariable configHome("XDG_CONFIG_HOME", config.path().toStdString().c_str());
    const ScopedVariable noVariable("TOLMER_SERVER", nullptr);

    // No towers yet: the dialog opens to start one. Missing inputs are
    // reported and what was typed stays.
    script.Then(OnDialog<JoinTowerDialog>([](JoinTowerDialog& join) {
        join.SendCommand(platform::IDOK);
        join.userNameEdit.SetWindowText("Ann");
        join.SendCommand(platform::IDOK);
        join.towerNameEdit.SetWindowText("St Mary");
        join.descriptionEdit.SetWindowText("Practice night");
        EXPECT_TRUE(SaveScreenshot(WidgetOf(join), "join-tower-start"));
        join.SendCommand(platform::IDOK);
    }));
    auto ann = OpenWindow(Texts{});
    ASSERT_TRUE(WaitFor([&] { return ann->session.InTower(); }));

    // Ben sees St Mary listed, asks for it under a name that is taken, is
    // told so by the server and chooses again; a double-click joins.
    script.Then(OnDialog<JoinTowerDialog>([](JoinTowerDialog& join) {
        EXPECT_EQ(join.towerListView.GetItemText(0, 1), "Practice night");
        join.userNameEdit.SetWindowText("Ann");
        join.SendCommand(platform::IDOK);
        join.towerListView.SetSelectionMark(0);
        EXPECT_TRUE(SaveScreenshot(WidgetOf(join), "join-tower-join"));
        join.SendCommand(platform::IDOK);
    }));
    script.Then(OnDialog<JoinTowerDialog>([](JoinTowerDialog& join) {
        EXPECT_EQ(join.userNameEdit.GetWindowText(), "Ann");
        join.userNameEdit.SetWindowText("Ben");
        // Through the window system, so that the press before it is seen.
        auto* list = qobject_cast<QTreeWidget*>(WidgetOf(join.towerListView));
        const QPoint row =
            list->viewport()->mapTo(WidgetOf(join), list->visualItemRect(list->topLevelItem(0)).center());
        QTest::mouseDClick(WidgetOf(join)->windowHandle(), Qt::LeftButton, Qt::NoModifier, row);
    }));
    auto ben = OpenWindow(server.Port());
    ASSERT_TRUE(WaitFor([&] { return ben->session.InTower() && Rows(*ann) == Texts{"Ann||", "Ben||"}; }));
    EXPECT_EQ(Rows(*ben), Rows(*ann));

    // Cy cancels the dialog (the script has no action left): that ends the program.
    auto cy = OpenWindow(server.Port());
    ASSERT_TRUE(WaitFor([&] { return cy->HasEnded(); }));
    EXPECT_EQ(cy->Result(), platform::IDCANCEL);
    EXPECT_EQ(script.Opened(), 4);
    cy.reset();  // the program has ended

    // Losing the server ends both runs; after it, connecting is refused and
    // that ends a run at once, as does a server that is no server.
    EXPECT_EQ(server.Stop(), 0);
    ASSERT_TRUE(WaitFor([&] { return ann->HasEnded() && ben->HasEnded(); }));
    auto late = OpenWindow(server.Port());
    ASSERT_TRUE(WaitFor([&] { return late->HasEnded(); }));
    const ScopedVariable badVariable("TOLMER_SERVER", "localhost:99999");
    auto misled = OpenWindow(Texts{});
    ASSERT_TRUE(WaitFor([&] { return misled->HasEnded(); }));
    EXPECT_EQ(misled->Result(), platform::IDCANCEL);
    ASSERT_EQ(boxes.Texts().size(), 8u);
    EXPECT_EQ(Texts(boxes.Texts().begin(), boxes.Texts().end() - 1),
              (Texts{"You must provide your name", "You must provide a tower name", "Please select the tower to join",
                     "Someone in that tower already uses that name. Please choose another.",
                     "Connection to Server Lost.", "Connection to Server Lost.", "Connection to server failed"}));
    EXPECT_NE(boxes.Texts().back().find("\"localhost:99999\" named by the environment variable TOLMER_SERVER"),
              std::string::npos);
}

TEST_F(RealTowerTest, AServerOnAnIPv6AddressIsReachedThroughItsBracketedAddress) {
    ServerProcess v6;
    if (!v6.Start(TOLMER_SERVER_BINARY, {"--bind", "::1"})) GTEST_SKIP() << "no IPv6 loopback: " << v6.Error();
    EXPECT_TRUE(Enter("Ann", "St Mary", "[::1]:" + std::to_string(v6.Port())));
    EXPECT_TRUE(v6.WaitForLog("connected from [::1]:")) << v6.Log();
}

}  // namespace
