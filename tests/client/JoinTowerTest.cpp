// The choice every run starts with, driven through a real window by a
// scripted server: the tower list, the Start/Join dialog, the request it
// sends and the server's notices.
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "lobby/JoinTowerDialog.h"
#include "resources/ResourceIds.h"
#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

// A request as it must appear on the wire: header, then each text in its
// slot, cut to the slot's width and zero-padded.
std::string RequestBytes(int length, int type, const std::vector<std::pair<wire::Slot, std::string>>& texts) {
    std::string bytes(static_cast<std::size_t>(length), '\0');
    bytes[0] = static_cast<char>(length & 0xFF);
    bytes[1] = static_cast<char>(length >> 8);
    bytes[2] = static_cast<char>(type);
    bytes[4] = 1;
    for (const auto& [slot, text] : texts) {
        bytes.replace(static_cast<std::size_t>(slot.start), std::min<std::size_t>(text.size(), slot.Width()),
                      text.substr(0, static_cast<std::size_t>(slot.Width())));
    }
    return bytes;
}

std::string StartTowerBytes(const std::string& tower, const std::string& description, const std::string& ringer) {
    namespace m = wire::startTower;
    return RequestBytes(m::kSize, m::kType, {{m::kTower, tower}, {m::kDescription, description}, {m::kRinger, ringer}});
}

std::string JoinTowerBytes(const std::string& tower, const std::string& ringer) {
    namespace m = wire::joinTower;
    return RequestBytes(m::kSize, m::kType, {{m::kTower, tower}, {m::kRinger, ringer}});
}

std::vector<std::string> ListedRows(JoinTowerDialog& d) {
    std::vector<std::string> rows;
    for (int row = 0; row < d.towerListView.GetItemCount(); ++row)
        rows.push_back(d.towerListView.GetItemText(row, 0) + "|" + d.towerListView.GetItemText(row, 1));
    return rows;
}

bool InStartMode(JoinTowerDialog& d) {
    return d.startRadio.GetCheck() && !d.joinRadio.GetCheck() && d.startGroup.IsWindowVisible() &&
           d.nameLabel.IsWindowVisible() && d.descriptionLabel.IsWindowVisible() && d.towerNameEdit.IsWindowVisible() &&
           d.descriptionEdit.IsWindowVisible() && !d.joinGroup.IsWindowVisible() && !d.towerListView.IsWindowVisible();
}

bool InJoinMode(JoinTowerDialog& d) {
    return !d.startRadio.GetCheck() && d.joinRadio.GetCheck() && !d.startGroup.IsWindowVisible() &&
           !d.nameLabel.IsWindowVisible() && !d.descriptionLabel.IsWindowVisible() &&
           !d.towerNameEdit.IsWindowVisible() && !d.descriptionEdit.IsWindowVisible() && d.joinGroup.IsWindowVisible() &&
           d.towerListView.IsWindowVisible();
}

// Through the window system, so that the press before the double-click is seen.
void DoubleClickRow(JoinTowerDialog& d, int row) {
    auto* tree = qobject_cast<QTreeWidget*>(d.towerListView.Widget());
    const QPoint at = tree->viewport()->mapTo(d.Widget(), tree->visualItemRect(tree->topLevelItem(row)).center());
    QTest::mouseDClick(d.Widget()->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

// Connects, checks the Hello, and announces the towers with the given count.
void AnnounceTowers(WindowUnderTest& w, int count, const std::vector<std::pair<std::string, std::string>>& towers) {
    ASSERT_TRUE(w.WaitForConnection());
    ASSERT_EQ(w.TakeBytes(wire::hello::kSize), std::string("\x06\0\x01\0\x01\0", 6));
    for (const auto& [name, description] : towers) w.Peer().Send(TowerListEntryMessage(count, name, description));
}

TEST(JoinTowerList, NoTowersOpensTheDialogInStartModeAndItsOkStartsATower) {
    WindowUnderTest w;
    DialogScript script;
    script.Then(OnJoinDialog([](JoinTowerDialog& join) {
        EXPECT_EQ(join.Widget()->windowTitle().toStdString(), "Start/Join a Tower");
        EXPECT_TRUE(InStartMode(join));
        EXPECT_EQ(join.towerListView.GetItemCount(), 0);
        EXPECT_EQ(join.towerListView.GetColumnTitle(0), "Tower Name");
        EXPECT_EQ(join.towerListView.GetColumnTitle(1), "Description");
        EXPECT_EQ(join.userNameEdit.GetWindowText(), "");
        EXPECT_EQ(join.Widget()->focusWidget(), join.userNameEdit.Widget());
        join.userNameEdit.SetWindowText("Ann");
        join.towerNameEdit.SetWindowText("St Mary");
        join.descriptionEdit.SetWindowText("Ring of eight");
        EXPECT_FALSE(SaveScreenshot(join.Widget(), "join-tower-start").empty());
        QTest::mouseClick(join.GetDlgItem(platform::IDOK)->Widget(), Qt::LeftButton);
    }));
    AnnounceTowers(w, 0, {{"", ""}});
    ASSERT_TRUE(platform::PumpUntil([&] { return script.Opened() == 1; }, 5000));
    EXPECT_EQ(w.TakeBytes(wire::startTower::kSize), StartTowerBytes("St Mary", "Ring of eight", "Ann"));
    EXPECT_EQ(w.Window().ownName, "Ann");
    EXPECT_TRUE(w.Window().towerList.empty());
    EXPECT_TRUE(w.Window().IsRunning());
}

TEST(JoinTowerList, OpensOnceTheCountIsReachedWithTheTowersInByteOrder) {
    WindowUnderTest w;
    DialogScript script;
    std::vector<std::string> rows;
    script.Then(OnJoinDialog([&](JoinTowerDialog& join) {
        rows = ListedRows(join);
        EXPECT_TRUE(InJoinMode(join));
        join.userNameEdit.SetWindowText("Ben");
        join.towerListView.SetSelectionMark(1);
        EXPECT_FALSE(SaveScreenshot(join.Widget(), "join-tower-join").empty());
        join.SendCommand(platform::IDOK);
    }));
    AnnounceTowers(w, 3, {{"bell loft", "lower case"}, {"Zennor", "last capital"}});
    w.Settle(150);
    EXPECT_EQ(script.Opened(), 0);
    EXPECT_EQ(w.Window().towerList.size(), 2u);

    w.Peer().Send(TowerListEntryMessage(3, "Abbey", "first"));
    ASSERT_TRUE(platform::PumpUntil([&] { return script.Opened() == 1; }, 5000));
    EXPECT_EQ(rows, (std::vector<std::string>{"Abbey|first", "Zennor|last capital", "bell loft|lower case"}));
    EXPECT_EQ(w.TakeBytes(wire::joinTower::kSize), JoinTowerBytes("Zennor", "Ben"));
}

TEST(JoinTowerList, ACountThatIsNeverReachedNeverOpensTheDialog) {
    WindowUnderTest w;
    DialogScript script;
    // The same name twice under count 2: one entry, the later description.
    AnnounceTowers(w, 2, {{"Abbey", "old"}, {"Abbey", "new"}});
    ASSERT_TRUE(platform::PumpUntil(
        [&] { return w.Window().towerList.count("Abbey") && w.Window().towerList.at("Abbey") == "new"; }, 5000));
    EXPECT_EQ(w.Window().towerList.size(), 1u);

    // Above 32767 the count reads negative: with one entry held, neither
    // 0x8001 nor 0xFFFF may pass for 1, and 0x8000 not for 0.
    w.Peer().Send(TowerListEntryMessage(0x8001, "Abbey", "still one"));
    w.Peer().Send(TowerListEntryMessage(0xFFFF, "", ""));
    w.Peer().Send(TowerListEntryMessage(0x8000, "Chapel", ""));
    w.Peer().Send(TowerListEntryMessage(40000, "Church", ""));
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().towerList.size() == 3; }, 5000));
    w.Settle(100);
    EXPECT_EQ(script.Opened(), 0);
    EXPECT_TRUE(w.Window().IsRunning());
    EXPECT_EQ(w.Peer().ReadAvailable(), "");
}

TEST(JoinTowerDialog, EachMissingInputIsReportedAndTheDialogKeepsWhatWasTyped) {
    WindowUnderTest w;
    MessageBoxRecorder boxes;
    DialogScript script;
    script.Then(OnJoinDialog([&](JoinTowerDialog& join) {
        join.SendCommand(platform::IDOK);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"You must provide your name"});
        EXPECT_TRUE(join.IsRunning());

        // A name of blanks passes; the start mode wants a tower name.
        join.userNameEdit.SetWindowText("  ");
        QTest::mouseClick(join.startRadio.Widget(), Qt::LeftButton);
        EXPECT_TRUE(InStartMode(join));
        join.descriptionEdit.SetWindowText("kept");
        join.SendCommand(platform::IDOK);
        EXPECT_EQ(boxes.Texts().back(), "You must provide a tower name");
        EXPECT_TRUE(join.IsRunning());

        // Back to joining with no row selected.
        QTest::mouseClick(join.joinRadio.Widget(), Qt::LeftButton);
        EXPECT_TRUE(InJoinMode(join));
        join.SendCommand(platform::IDOK);
        EXPECT_EQ(boxes.Texts().back(), "Please select the tower to join");
        EXPECT_TRUE(join.IsRunning());
        EXPECT_EQ(boxes.Texts().size(), 3u);

        // The controls were only hidden: the texts survive the switches.
        EXPECT_EQ(join.userNameEdit.GetWindowText(), "  ");
        EXPECT_EQ(join.descriptionEdit.GetWindowText(), "kept");

        // A double-click is OK with its validation: no name, no request.
        join.userNameEdit.SetWindowText("");
        DoubleClickRow(join, 1);
        EXPECT_EQ(boxes.Texts().back(), "You must provide your name");
        EXPECT_TRUE(join.IsRunning());
        EXPECT_EQ(join.towerListView.GetSelectionMark(), 1);
        join.userNameEdit.SetWindowText("Cy");
        DoubleClickRow(join, 0);
        EXPECT_FALSE(join.IsRunning());
    }));
    AnnounceTowers(w, 2, {{"Abbey", ""}, {"Barn", ""}});
    ASSERT_TRUE(platform::PumpUntil([&] { return script.Opened() == 1; }, 5000));
    EXPECT_EQ(boxes.Texts().size(), 4u);
    EXPECT_EQ(w.TakeBytes(wire::joinTower::kSize), JoinTowerBytes("Abbey", "Cy"));
    EXPECT_EQ(w.Window().ownName, "Cy");
}

TEST(JoinTowerDialog, NamesOfNinetyCharactersGoOutCutToEightyBytes) {
    WindowUnderTest w;
    DialogScript script;
    const std::string ringer = std::string(45, 'r') + std::string(45, 'R');
    const std::string tower = std::string(85, 't') + "Tower";
    script.Then(OnJoinDialog([&](JoinTowerDialog& join) {
        join.userNameEdit.SetWindowText(ringer);
        join.towerNameEdit.SetWindowText(tower);
        join.SendCommand(platform::IDOK);
    }));
    AnnounceTowers(w, 0, {{"", ""}});
    const std::string sent = w.TakeBytes(wire::startTower::kSize);
    EXPECT_EQ(sent, StartTowerBytes(tower.substr(0, 80), "", ringer.substr(0, 80)));
    // Both slots are full: no terminator in them.
    EXPECT_EQ(sent.substr(6, 80), std::string(80, 't'));
    EXPECT_EQ(sent.substr(166, 80), ringer.substr(0, 80));
    EXPECT_EQ(w.Window().ownName, ringer);
}

TEST(JoinTowerDialog, CancelEndsTheRunAndSendsNothing) {
    WindowUnderTest w;
    DialogScript script;
    script.Then(OnJoinDialog([](JoinTowerDialog& join) {
        join.userNameEdit.SetWindowText("Ann");
        join.towerListView.SetSelectionMark(0);
        QTest::mouseClick(join.GetDlgItem(platform::IDCANCEL)->Widget(), Qt::LeftButton);
    }));
    AnnounceTowers(w, 1, {{"Abbey", ""}});
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().HasEnded(); }, 5000));
    EXPECT_EQ(w.Window().Result(), platform::IDCANCEL);
    EXPECT_EQ(w.Window().ownName, "");
    w.Settle(100);
    EXPECT_EQ(w.Peer().ReadAvailable(), "");
}

TEST(JoinTowerDialog, EscapeIsCancelToo) {
    WindowUnderTest w;
    DialogScript script;
    script.Then(OnJoinDialog([](JoinTowerDialog& join) { QTest::keyClick(join.userNameEdit.Widget(), Qt::Key_Escape); }));
    AnnounceTowers(w, 0, {{"", ""}});
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().HasEnded(); }, 5000));
    EXPECT_EQ(w.Window().Result(), platform::IDCANCEL);
    EXPECT_EQ(w.Peer().ReadAvailable(), "");
}

TEST(JoinTowerNotice, BeforeEnteringTheNoticeIsShownAndTheDialogOfferedAgain) {
    WindowUnderTest w;
    MessageBoxRecorder boxes;
    DialogScript script;
    script.Then(OnJoinDialog([](JoinTowerDialog& join) {
        join.userNameEdit.SetWindowText("Ann");
        QTest::mouseClick(join.startRadio.Widget(), Qt::LeftButton);
        join.towerNameEdit.SetWindowText("Abbey");
        join.SendCommand(platform::IDOK);
    }));
    std::vector<std::string> rowsAgain;
    script.Then(OnJoinDialog([&](JoinTowerDialog& join) {
        // The same list, the last name, and the mode by the list, not the last choice.
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"A tower of that name is already open."});
        EXPECT_EQ(join.userNameEdit.GetWindowText(), "Ann");
        EXPECT_TRUE(InJoinMode(join));
        EXPECT_EQ(join.towerNameEdit.GetWindowText(), "");
        rowsAgain = ListedRows(join);
        join.SendCommand(platform::IDCANCEL);
    }));
    AnnounceTowers(w, 1, {{"Abbey", "old"}});
    ASSERT_EQ(w.TakeBytes(wire::startTower::kSize), StartTowerBytes("Abbey", "", "Ann"));
    w.Peer().Send(wire::Build(wire::ServerNotice{"A tower of that name is already open."}));
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().HasEnded(); }, 5000));
    EXPECT_EQ(script.Opened(), 2);
    EXPECT_EQ(rowsAgain, std::vector<std::string>{"Abbey|old"});
    // Cancel after a notice ends the run too, with nothing more sent.
    EXPECT_EQ(w.Window().Result(), platform::IDCANCEL);
    w.Settle(100);
    EXPECT_EQ(w.Peer().ReadAvailable(), "");
}

TEST(JoinTowerNotice, InATowerTheNoticeIsOnlyShown) {
    WindowUnderTest w;
    MessageBoxRecorder boxes;
    DialogScript script;
    script.Then(OnJoinDialog([](JoinTowerDialog& join) {
        join.userNameEdit.SetWindowText("Ann");
        join.towerListView.SetSelectionMark(0);
        join.SendCommand(platform::IDOK);
    }));
    AnnounceTowers(w, 1, {{"Abbey", ""}});
    ASSERT_EQ(w.TakeBytes(wire::joinTower::kSize), JoinTowerBytes("Abbey", "Ann"));
    ASSERT_TRUE(w.SendAndWait(TowerEnteredMessage("Abbey"), [&] { return w.Window().currentTower == "Abbey"; }));
    ASSERT_TRUE(w.SendAndWait(wire::Build(wire::ServerNotice{"The tower closes at nine"}), [&] { return !boxes.Texts().empty(); }));
    w.Settle(100);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"The tower closes at nine"});
    EXPECT_EQ(script.Opened(), 1);
    EXPECT_TRUE(w.Window().IsRunning());
    EXPECT_EQ(w.Peer().ReadAvailable(), "");
}

TEST(JoinTowerDialog, MessagesArrivingWhileItIsOpenAreHandled) {
    WindowUnderTest w;
    DialogScript script;
    script.Then(OnJoinDialog([&](JoinTowerDialog& join) {
        // While the dialog waits, a late entry is stored (but not shown in
        // it) and the tower entered is taken in.
        w.Peer().Send(TowerListEntryMessage(5, "Barn", "late"));
        w.Peer().Send(TowerEnteredMessage("Elsewhere"));
        EXPECT_TRUE(platform::PumpUntil(
            [&] { return w.Window().towerList.count("Barn") == 1 && w.Window().currentTower == "Elsewhere"; }, 5000));
        EXPECT_EQ(ListedRows(join), std::vector<std::string>{"Abbey|"});
        EXPECT_TRUE(join.IsRunning());
        join.userNameEdit.SetWindowText("Ann");
        join.towerListView.SetSelectionMark(0);
        join.SendCommand(platform::IDOK);
    }));
    AnnounceTowers(w, 1, {{"Abbey", ""}});
    EXPECT_EQ(w.TakeBytes(wire::joinTower::kSize), JoinTowerBytes("Abbey", "Ann"));
    EXPECT_EQ(script.Opened(), 1);
}

TEST(JoinTowerDialog, TextsTravelAsUtf8AndForeignBytesStillJoin) {
    WindowUnderTest w;
    DialogScript script;
    const std::string latin1Tower = "Caf\xE9";  // not valid UTF-8
    std::string shown;
    script.Then(OnJoinDialog([&](JoinTowerDialog& join) {
        shown = join.towerListView.GetItemText(0, 0);
        join.userNameEdit.SetFocus();
        QTest::keyClicks(join.userNameEdit.Widget(), "Zo");
        QTest::sendKeyEvent(QTest::Click, join.userNameEdit.Widget(), Qt::Key_unknown, QString(QChar(0x00EB)),
                            Qt::NoModifier);
        join.towerListView.SetSelectionMark(0);
        join.SendCommand(platform::IDOK);
    }));
    AnnounceTowers(w, 1, {{latin1Tower, "Br\xFC"}});
    // Shown with a replacement character, joined by the bytes the server sent.
    EXPECT_EQ(w.TakeBytes(wire::joinTower::kSize), JoinTowerBytes(latin1Tower, "Zo\xC3\xAB"));
    EXPECT_EQ(shown, "Caf\xEF\xBF\xBD");
    EXPECT_EQ(w.Window().ownName, "Zo\xC3\xAB");
}

}  // namespace
