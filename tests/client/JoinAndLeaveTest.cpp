// Reaching the server, joining a tower and losing the server, as users meet
// them: real windows against the real server.
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <optional>

#include "lobby/JoinTowerDialog.h"
#include "tests/client/support/Harness.h"
#include "tests/platform/LoopbackListener.h"

namespace {

using namespace testsupport;
using Texts = std::vector<std::string>;

TEST_F(RealTowerTest, OneStartsATowerAnotherJoinsItAfterANoticeAndAThirdGivesUp) {
    // Ann has named the server once, in her settings file, and starts the
    // client without a switch.
    const QTemporaryDir config;
    std::filesystem::create_directories(config.path().toStdString() + "/tolmer");
    std::ofstream(config.path().toStdString() + "/tolmer/server") << "localhost:" << server.Port() << "  \n";
    const ScopedVariable configHome("XDG_CONFIG_HOME", config.path().toStdString().c_str());
    const ScopedVariable noVariable("TOLMER_SERVER", nullptr);

    // No towers yet: the dialog opens to start one. Missing inputs are
    // reported and what was typed stays.
    script.Then(OnDialog<JoinTowerDialog>([](JoinTowerDialog& join) {
        EXPECT_TRUE(join.startRadio.GetCheck());
        join.SendCommand(platform::IDOK);
        join.userNameEdit.SetWindowText("Ann");
        join.SendCommand(platform::IDOK);
        join.towerNameEdit.SetWindowText("St Mary");
        join.descriptionEdit.SetWindowText("Practice night");
        EXPECT_TRUE(SaveScreenshot(WidgetOf(join), "join-tower-start"));
        join.SendCommand(platform::IDOK);
    }));
    auto ann = OpenWindow(std::vector<std::string>{});
    ASSERT_TRUE(WaitFor([&] { return ann->session.InTower(); }));
    EXPECT_EQ(boxes.Texts(), (Texts{"You must provide your name", "You must provide a tower name"}));

    // Ben sees St Mary listed, asks for it under a name that is taken, is
    // told so by the server and chooses again; a double-click joins.
    script.Then(OnDialog<JoinTowerDialog>([](JoinTowerDialog& join) {
        EXPECT_TRUE(join.joinRadio.GetCheck());
        ASSERT_EQ(join.towerListView.GetItemCount(), 1);
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
    ASSERT_TRUE(WaitFor([&] { return ben->session.InTower() && Rows(*ann).size() == 2; }));
    EXPECT_EQ(boxes.Texts().back(), "Someone in that tower already uses that name. Please choose another.");
    EXPECT_EQ(boxes.Texts()[2], "Please select the tower to join");
    EXPECT_EQ(Rows(*ann), (Texts{"Ann||", "Ben||"}));
    EXPECT_EQ(Rows(*ben), Rows(*ann));

    // Cancel in the dialog ends the program.
    script.Then([](platform::Dialog& dialog) { dialog.OnCancel(); });
    auto cy = OpenWindow(server.Port());
    ASSERT_TRUE(WaitFor([&] { return cy->HasEnded(); }));
    EXPECT_EQ(cy->Result(), platform::IDCANCEL);
    EXPECT_EQ(script.Opened(), 4);
}

TEST_F(RealTowerTest, TheServerGoingAwayEndsTheRunAndARefusedConnectionEndsItAtOnce) {
    auto ann = Enter("Ann");
    ASSERT_TRUE(ann);
    EXPECT_EQ(server.Stop(), 0);
    ASSERT_TRUE(WaitFor([&] { return ann->HasEnded(); }));
    EXPECT_EQ(boxes.Texts(), (Texts{"Connection to Server Lost."}));

    const sockettest::LoopbackListener deaf(AF_INET, false);  // refuses connections
    auto late = OpenWindow(deaf.Port());
    ASSERT_TRUE(WaitFor([&] { return late->HasEnded(); }));
    EXPECT_EQ(boxes.Texts().back(), "Connection to server failed");
    EXPECT_EQ(late->connSocket, platform::INVALID_SOCKET);

    // A server that is no server is reported, naming where it was set.
    const ScopedVariable variable("TOLMER_SERVER", "localhost:99999");
    auto misled = OpenWindow(std::vector<std::string>{});
    ASSERT_TRUE(WaitFor([&] { return misled->HasEnded(); }));
    EXPECT_EQ(boxes.Texts().back().find("The server \"localhost:99999\" named by the environment variable "
                                        "TOLMER_SERVER cannot be used: the port must be a number from 1 to 65535."),
              0u)
        << boxes.Texts().back();
    EXPECT_EQ(misled->Result(), platform::IDCANCEL);
}

TEST(IPv6Tower, AServerOnAnIPv6AddressIsReachedThroughItsBracketedAddress) {
    ServerProcess server;
    if (!server.Start(TOLMER_SERVER_BINARY, {"--bind", "::1"}))
        GTEST_SKIP() << "no IPv6 loopback here: " << server.Error();
    MessageBoxRecorder boxes;
    DialogScript script;
    auto ann = EnterTower({"--server", "[::1]:" + std::to_string(server.Port())}, script, "Ann", "St Mary");
    ASSERT_TRUE(ann) << "not in the tower";
    EXPECT_TRUE(server.WaitForLog("connected from [::1]:")) << server.Log();
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
