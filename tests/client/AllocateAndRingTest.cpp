// Allocating the bells and ringing them, as users meet it: real windows and
// a ringer without a window (a plain connection) in one tower of the real
// server.
#include <QTest>

#include "ringing/ControlsDialog.h"
#include "tests/client/support/Harness.h"
#include "tests/support/TestMessages.h"
#include "tower/BellsDialog.h"

namespace {

using namespace testsupport;

TEST_F(RealTowerTest, TheConductorsAllocationReachesEveryWindowWithTheNamesBytesKept) {
    auto ann = Enter("Ann"), ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);
    // Zoé's client sends her name in Latin-1: not UTF-8, legal on the wire.
    const std::string zoe = "Zo\xe9", shown = platform::qt::FromQt(platform::qt::ToQt(zoe));
    TestClient zoeLink = JoinAsTestClient(server.Port(), zoe);
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 3 && Rows(*ben).size() == 3; }));

    script.Then(OnDialog<BellsDialog>([&](BellsDialog& bells) {
        // A gap is refused; the dialog stays open.
        ASSERT_TRUE(ChooseEntry(*bells.bellCombos[0], "Ann") && ChooseEntry(*bells.bellCombos[1], shown) &&
                    ChooseEntry(*bells.bellCombos[3], "Ben"));
        bells.SendCommand(platform::IDOK);
        EXPECT_EQ(boxes.Texts(), Texts{"A continuous set of bells starting with 1 must be selected"});
        ASSERT_TRUE(ChooseEntry(*bells.bellCombos[2], "Ben") && ChooseEntry(*bells.bellCombos[3], "") &&
                    ChooseEntry(bells.conductorCombo, shown));
        EXPECT_TRUE(SaveScreenshot(WidgetOf(bells), "bells-dialog"));
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();

    // Every window changes when the records come back: Zoé rings bell 2 and
    // conducts, so the others' conductor controls hide; her own client gets
    // her record with her bytes.
    const Texts rows = {"Ann|1|", shown + "|2 (c)|", "Ben|3|"};
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann) == rows && Rows(*ben) == rows; }));
    EXPECT_EQ(ann->session.slots[ColumnOf(*ann, 2)].ringerName, zoe);
    EXPECT_FALSE(ann->bellsButton.IsWindowVisible());
    EXPECT_FALSE(ben->messagesButton.IsWindowVisible());
    std::optional<MessageBuffer> record;
    while ((record = zoeLink.ReceiveType(wire::ringerInfo::kType)) &&
           msg::ReadRingerInfo(*record) != msg::RingerRecord{3, zoe, "2", true}) {}
    EXPECT_TRUE(record) << "no record of Zo\\xe9 on bell 2, conducting";
}

// The stroke of the bell in the window.
int StrokeOf(const TowerWindow& window, int bell) { return window.session.slots[ColumnOf(window, bell)].stroke; }

TEST_F(RealTowerTest, RingersStrikeByClickByKeyAndWithoutAWindowAndEveryoneSeesTheSameBells) {
    auto ann = Enter("Ann"), ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);
    TestClient robot = JoinAsTestClient(server.Port(), "Robot");  // a ringer without a window
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 3; }));
    Allocate(*ann, {"Ann", "Ann", "Ann", "Ann", "Ben", "Ben", "Ben", "Robot"});
    ASSERT_TRUE(WaitFor([&] { return ann->session.bellCount == 8 && ben->session.bellCount == 8; }));
    EXPECT_TRUE(SaveScreenshot(WidgetOf(*ann), "tower-of-eight"));
    const auto everyone = [&](int bell, int stroke) {
        return WaitFor([&] { return StrokeOf(*ann, bell) == stroke && StrokeOf(*ben, bell) == stroke; });
    };

    // Ann clicks bell 1's button to ring next; Ben presses the key shown on
    // bell 5's, which then moves to the other button; the robot strikes bell 8.
    ann->upperBellButtons[ColumnOf(*ann, 1)].Click();
    ASSERT_TRUE(everyone(1, 1));
    EXPECT_EQ(ben->upperBellButtons[ColumnOf(*ben, 5)].GetWindowText(), "&K");
    QTest::keyClick(WidgetOf(ben->settingsButton), 'k');
    ASSERT_TRUE(everyone(5, 1));
    EXPECT_EQ(ben->lowerBellButtons[ColumnOf(*ben, 5)].GetWindowText(), "&M");
    robot.Send(msg::Strike(8, 1, 0, 0));
    ASSERT_TRUE(everyone(8, 1));

    // Ann's own echo was timed; her next strike reports it and fills her
    // ping column everywhere. The robot's strikes report none.
    ann->lowerBellButtons[ColumnOf(*ann, 1)].Click();
    ASSERT_TRUE(everyone(1, 0));
    EXPECT_EQ(Rows(*ben)[0].substr(0, 6), "Ann|12");
    EXPECT_NE(Rows(*ben)[0].back(), '|');
    EXPECT_EQ(Rows(*ann)[2], "Robot|8|");

    // One key per bell: the same key rings both strokes; numbers hidden show X.
    script.Then(OnDialog<ControlsDialog>([](ControlsDialog& controls) {
        controls.keyboardCombo.SetCurSel(1);
        controls.numbersCombo.SetCurSel(0);
        EXPECT_TRUE(SaveScreenshot(WidgetOf(controls), "controls-dialog"));
        controls.SendCommand(platform::IDOK);
    }));
    ann->settingsButton.Click();
    EXPECT_EQ(ann->lowerBellButtons[ColumnOf(*ann, 4)].GetWindowText(), "X");
    QTest::keyClick(WidgetOf(ann->settingsButton), 's');
    ASSERT_TRUE(everyone(4, 1));
    QTest::keyClick(WidgetOf(ann->settingsButton), 's');
    ASSERT_TRUE(everyone(4, 0));
}

}  // namespace
