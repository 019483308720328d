// A band's evening with the real server, one test per flow as users meet it: Ann starts a tower on the server named in
// her settings file, Ben joins after a refusal, Cy gives up; they chat and Ann calls; she allocates the bells (Zoé's
// plain connection sends her name in Latin-1: not UTF-8, legal on the wire) and they ring; losing the server ends every
// run. And a misbehaving server (a scripted peer) that floods the window, reads slowly, and at last sends a length no
// message can have.
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "lobby/JoinTowerDialog.h"
#include "lobby/MessagesDialog.h"
#include "ringing/ControlsDialog.h"
#include "tests/client/support/Harness.h"
#include "tests/client/support/ScriptedPeer.h"
#include "tests/support/TestMessages.h"
#include "tower/BellsDialog.h"

namespace {

using namespace testsupport;

int StrokeOf(const TowerWindow& window, int bell) { return window.session.slots[ColumnOf(window, bell)].stroke; }

TEST_F(RealTowerTest, OneStartsATowerAnotherJoinsAfterARefusalAndAThirdGivesUp) {
    // Ann has named the server once, in her settings file, and starts the client without a switch.
    const QTemporaryDir config;
    std::filesystem::create_directories(config.path().toStdString() + "/tolmer");
    std::ofstream(config.path().toStdString() + "/tolmer/server") << "localhost:" << server.Port() << "\n";
    const ScopedVariable configHome("XDG_CONFIG_HOME", config.path().toStdString().c_str());
    const ScopedVariable noVariable("TOLMER_SERVER", nullptr);

    // No towers yet: the dialog opens to start one. Missing inputs are reported and what was typed stays.
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

    // Ben sees St Mary listed, asks for it under a name that is taken, is told so by the server and chooses again; a
    // double-click joins.
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
    EXPECT_EQ(script.Opened(), 4);
    EXPECT_EQ(boxes.Texts(),
              (Texts{"You must provide your name", "You must provide a tower name", "Please select the tower to join",
                     "Someone in that tower already uses that name. Please choose another."}));
}

TEST_F(RealTowerTest, ChatShowsEverywhereAndTheConductorsCallShowsForFiveSeconds) {
    auto ann = Enter("Ann"), ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);
    // Chat lines show everywhere, newest first; after Send, keys ring bells again.
    ben->chatEntry.SetWindowText("Hello");
    ben->sendButton.Click();
    EXPECT_EQ(ben->chatEntry.GetWindowText(), "");
    EXPECT_EQ(WidgetOf(*ben)->focusWidget(), WidgetOf(ben->sendButton));
    ann->chatEntry.SetWindowText("Evening all");
    ann->sendButton.Click();
    const std::string chat = "Ann: Evening all\r\nBen: Hello\r\n";
    ASSERT_TRUE(
        WaitFor([&] { return ann->chatDisplay.GetWindowText() == chat && ben->chatDisplay.GetWindowText() == chat; }));

    // Ann gives message 7 a text; Bells makes her the conductor even when she cancels it, and then her key calls, for
    // five seconds.
    script.Then(OnDialog<MessagesDialog>([](MessagesDialog& messages) {
        messages.messageEdits[6].SetWindowText("Look to");
        EXPECT_TRUE(SaveScreenshot(WidgetOf(messages), "messages-dialog"));
        messages.SendCommand(platform::IDOK);
    }));
    ann->messagesButton.Click();
    EXPECT_EQ(ann->messageButtons[6].GetWindowText(), "&u Look to");
    ann->bellsButton.Click();
    ASSERT_TRUE(WaitFor([&] { return !ben->bellsButton.IsWindowVisible(); }));
    QTest::keyClick(WidgetOf(ann->settingsButton), 'u');
    ASSERT_TRUE(WaitFor(
        [&] { return ann->statusLine.GetWindowText() == "Look to" && ben->statusLine.GetWindowText() == "Look to"; }));
    EXPECT_GT(ben->TimerRemainingMs(TIMER_CALL), 4000);
    ben->OnTimer(TIMER_CALL);
    EXPECT_EQ(ben->statusLine.GetWindowText(), "");
}

TEST_F(RealTowerTest, TheConductorAllocatesTheBellsAndEveryWindowSeesThemRing) {
    auto ann = Enter("Ann"), ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);
    const std::string zoe = "Zo\xe9", shown = platform::qt::FromQt(platform::qt::ToQt(zoe));
    TestClient zoeLink = JoinAsTestClient(server.Port(), zoe);
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 3 && Rows(*ben).size() == 3; }));

    // Ann allocates eight bells and hands the conducting to Zoé; a gap is refused and the dialog stays open.
    script.Then(OnDialog<BellsDialog>([&](BellsDialog& bells) {
        const Texts byBell = {"Ann", "Ann", "Ann", "Ann", "Ben", "Ben", "Ben", shown};
        for (const int bell : {0, 1, 3}) ChooseEntry(*bells.bellCombos[bell], byBell[bell]);
        bells.SendCommand(platform::IDOK);
        EXPECT_TRUE(bells.IsRunning());
        for (std::size_t bell = 0; bell < byBell.size(); ++bell)
            ASSERT_TRUE(ChooseEntry(*bells.bellCombos[bell], byBell[bell]));
        ASSERT_TRUE(ChooseEntry(bells.conductorCombo, shown));
        EXPECT_TRUE(SaveScreenshot(WidgetOf(bells), "bells-dialog"));
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();
    // Every window changes when the records come back; the others' conductor controls hide; Zoé's own client gets her
    // record with her bytes.
    const Texts rows = {"Ann|1234|", "Ben|567|", shown + "|8 (c)|"};
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann) == rows && Rows(*ben) == rows; }));
    EXPECT_FALSE(ann->bellsButton.IsWindowVisible() || ben->messagesButton.IsWindowVisible());
    std::optional<MessageBuffer> record;
    while ((record = zoeLink.ReceiveType(wire::ringerInfo::kType)) &&
           msg::ReadRingerInfo(*record) != msg::RingerRecord{8, zoe, "8", true}) {}
    EXPECT_TRUE(record) << "no record of Zo\\xe9 on bell 8, conducting";

    // Ann clicks bell 1's button to ring next; Ben presses the key shown on bell 5's.
    const auto everyone = [&](int bell, int stroke) {
        return WaitFor([&] { return StrokeOf(*ann, bell) == stroke && StrokeOf(*ben, bell) == stroke; });
    };
    ann->upperBellButtons[ColumnOf(*ann, 1)].Click();
    ASSERT_TRUE(everyone(1, 1));
    EXPECT_EQ(ben->upperBellButtons[ColumnOf(*ben, 5)].GetWindowText(), "&K");
    QTest::keyClick(WidgetOf(ben->settingsButton), 'k');
    ASSERT_TRUE(everyone(5, 1));
    // Ann's own echo was timed; her next strike reports it and fills her ping column everywhere.
    ann->lowerBellButtons[ColumnOf(*ann, 1)].Click();
    ASSERT_TRUE(everyone(1, 0));
    EXPECT_NE(Rows(*ben)[0], rows[0]);

    // Zoé leaves, and the bells are laid out again.
    zoeLink.Close();
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 2 && StrokeOf(*ann, 1) == 0 && StrokeOf(*ann, 5) == 0; }));
    EXPECT_TRUE(SaveScreenshot(WidgetOf(*ann), "tower-of-eight"));
    // One key per bell: the same key rings both strokes.
    script.Then(OnDialog<ControlsDialog>([](ControlsDialog& controls) {
        controls.keyboardCombo.SetCurSel(1);
        controls.numbersCombo.SetCurSel(0);
        EXPECT_TRUE(SaveScreenshot(WidgetOf(controls), "controls-dialog"));
        controls.SendCommand(platform::IDOK);
    }));
    ann->settingsButton.Click();
    QTest::keyClick(WidgetOf(ann->settingsButton), 's');
    ASSERT_TRUE(everyone(4, 1));
    QTest::keyClick(WidgetOf(ann->settingsButton), 's');
    ASSERT_TRUE(everyone(4, 0));
    EXPECT_EQ(boxes.Texts(), Texts{"A continuous set of bells starting with 1 must be selected"});
}

TEST_F(RealTowerTest, LosingTheServerEndsEveryRunAndAConnectThatFailsSaysWhy) {
    auto ann = Enter("Ann"), ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);
    // Losing the server ends both runs; after it, connecting is refused and that ends a run at once, as does a server
    // that is no server.
    EXPECT_EQ(server.Stop(), 0);
    ASSERT_TRUE(WaitFor([&] { return ann->HasEnded() && ben->HasEnded(); }));
    auto late = OpenWindow(server.Port());
    ASSERT_TRUE(WaitFor([&] { return late->HasEnded(); }));
    const ScopedVariable badVariable("TOLMER_SERVER", "localhost:99999");
    auto misled = OpenWindow(Texts{});
    ASSERT_TRUE(WaitFor([&] { return misled->HasEnded(); }));
    EXPECT_EQ(misled->Result(), platform::IDCANCEL);
    ASSERT_EQ(boxes.Texts().size(), 4u);
    EXPECT_EQ(Texts(boxes.Texts().begin(), boxes.Texts().end() - 1),
              (Texts{"Connection to Server Lost.", "Connection to Server Lost.", "Connection to server failed"}));
    EXPECT_NE(boxes.Texts().back().find("\"localhost:99999\" named by the environment variable TOLMER_SERVER"),
              std::string::npos);
}

TEST_F(RealTowerTest, AServerOnAnIPv6AddressIsReachedThroughItsBracketedAddress) {
    ServerProcess v6;
    if (!v6.Start(TOLMER_SERVER_BINARY, {"--bind", "::1"})) GTEST_SKIP() << "no IPv6 loopback: " << v6.Error();
    EXPECT_TRUE(Enter("Ann", "St Mary", "[::1]:" + std::to_string(v6.Port())));
    EXPECT_TRUE(v6.WaitForLog("connected from [::1]:")) << v6.Log();
}

TEST(MisbehavingServer, FloodsPileNoBoxesUpASlowReaderGetsEveryByteInOrderAndAShortLengthIsALoss) {
    ScriptedPeer peer;
    peer.SetReceiveBuffer(4096);  // a peer that stops reading fills up soon
    // A box stays open a while, handling messages; while one is, the server sends a type no server sends (20 in all).
    int unexpected = 0;
    MessageBoxRecorder boxes(20, [&] {
        if (unexpected++ < 20) peer.Send(msg::Raw(8, 11));
    });
    DialogScript script;
    auto window = OpenWindow(peer.Port());
    std::string received;  // what the client has sent
    const auto receive = [&](std::size_t bytes, int timeoutMs = 5000) {
        return platform::PumpUntil([&] { return (received += peer.Take()).size() >= bytes; }, timeoutMs);
    };
    ASSERT_TRUE(receive(wire::hello::kSize));

    // Five notices come while the user chooses a tower.
    script.Then(OnDialog<JoinTowerDialog>([&](JoinTowerDialog& join) {
        for (int i = 1; i <= 5; ++i) peer.Send(wire::Build(wire::ServerNotice{"Notice " + std::to_string(i)}));
        platform::PumpFor(500);
        join.userNameEdit.SetWindowText("Ann");
        join.towerNameEdit.SetWindowText("St Mary");
        join.SendCommand(platform::IDOK);
    }));
    peer.Send(wire::Build(wire::TowerListEntry{0, "", ""}));
    ASSERT_TRUE(receive(wire::hello::kSize + wire::startTower::kSize));
    EXPECT_EQ(script.Opened(), 1);
    EXPECT_EQ(boxes.DeepestNesting(), 1);
    const Texts texts = boxes.Texts();
    ASSERT_GT(texts.size(), 5u);
    EXPECT_EQ(Texts(texts.begin(), texts.begin() + 5),
              (Texts{"Notice 1", "Notice 2", "Notice 3", "Notice 4", "Notice 5"}));
    for (auto text = texts.begin() + 5; text != texts.end(); ++text)
        EXPECT_EQ(*text, "Incoming message has unexpected message type : 11");

    // Queued while the peer reads nothing: the socket refuses (its buffer grows to megabytes first), the queue keeps
    // the rest whole, and write notifications send it as room comes.
    std::string expected;
    for (int line = 0, waiting = 0; waiting < 3000 && expected.size() < (64u << 20); ++line) {
        const MessageBuffer chat = msg::Chat("Ann", "line " + std::to_string(line));
        expected += chat.Bytes();
        window->QueueMessage(chat);
        if (!window->sendQueue.Empty()) ++waiting;
    }
    platform::PumpFor(100);
    ASSERT_FALSE(window->sendQueue.Empty());
    peer.SetReceiveBuffer(1 << 20);
    received.clear();
    ASSERT_TRUE(receive(expected.size(), 20000));
    EXPECT_TRUE(received == expected);
    EXPECT_EQ(boxes.Texts(), texts);

    peer.SendBytes(msg::Header(5, wire::call::kType) + "xx");
    ASSERT_TRUE(WaitFor([&] { return window->HasEnded(); }));
    EXPECT_EQ(boxes.Texts().back(), "Connection to Server Lost.");
}

}  // namespace
