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
using Texts = std::vector<std::string>;

// The shown text of a name, as a combo box lists it.
std::string Shown(const std::string& name) { return platform::qt::FromQt(platform::qt::ToQt(name)); }

TEST_F(RealTowerTest, TheConductorsAllocationReachesEveryWindowWithTheNamesBytesKept) {
    auto ann = Enter("Ann");
    auto ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);
    // Zoé's client sends her name in Latin-1: not UTF-8, legal on the wire.
    const std::string zoe = "Zo\xe9";
    TestClient zoeLink = JoinAsTestClient(server.Port(), zoe);
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 3 && Rows(*ben).size() == 3; }));

    script.Then(OnDialog<BellsDialog>([&](BellsDialog& bells) {
        // A gap is refused, once per bell chosen after it; the dialog stays open.
        ASSERT_TRUE(ChooseEntry(*bells.bellCombos[0], "Ann") && ChooseEntry(*bells.bellCombos[1], Shown(zoe)) &&
                    ChooseEntry(*bells.bellCombos[3], "Ben"));
        bells.SendCommand(platform::IDOK);
        EXPECT_TRUE(bells.IsRunning());
        ASSERT_TRUE(ChooseEntry(*bells.bellCombos[2], "Ben") && ChooseEntry(*bells.bellCombos[3], ""));
        ASSERT_TRUE(ChooseEntry(bells.conductorCombo, Shown(zoe)));
        EXPECT_TRUE(SaveScreenshot(WidgetOf(bells), "bells-dialog"));
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();
    EXPECT_EQ(boxes.Texts(), (Texts{"A continuous set of bells starting with 1 must be selected"}));

    // Every window changes when the records come back: Zoé rings bell 2 and
    // conducts, so the others' conductor controls hide.
    const Texts rows = {"Ann|1|", Shown(zoe) + "|2 (c)|", "Ben|3|"};
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann) == rows && Rows(*ben) == rows; }));
    EXPECT_EQ(ann->session.bellCount, 3);
    EXPECT_EQ(ann->session.slots[ColumnOf(*ann, 2)].ringerName, zoe);
    EXPECT_FALSE(ann->bellsButton.IsWindowVisible());
    EXPECT_FALSE(ben->messagesButton.IsWindowVisible());
    // Zoé's own client gets her record with her bytes.
    const msg::RingerRecord allocated{3, zoe, "2", true};
    std::optional<MessageBuffer> record;
    while ((record = zoeLink.ReceiveType(wire::ringerInfo::kType)) && msg::ReadRingerInfo(*record) != allocated) {}
    EXPECT_TRUE(record) << "no record of Zo\\xe9 on bell 2, conducting";
}

TEST_F(RealTowerTest, RingersStrikeByClickByKeyAndWithoutAWindowAndEveryoneSeesTheSameBells) {
    auto ann = Enter("Ann");
    auto ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);
    TestClient robot = JoinAsTestClient(server.Port(), "Robot");  // a ringer without a window
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 3; }));
    script.Then(OnDialog<BellsDialog>([](BellsDialog& bells) {
        const Texts byBell = {"Ann", "Ann", "Ann", "Ann", "Ben", "Ben", "Ben", "Robot"};
        for (std::size_t bell = 0; bell < byBell.size(); ++bell) ChooseEntry(*bells.bellCombos[bell], byBell[bell]);
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();
    const auto everyone = [&](int bell, int stroke) {
        return WaitFor([&] {
            for (const TowerWindow* w : {ann.get(), ben.get()})
                if (ColumnOf(*w, bell) < 0 || w->session.slots[ColumnOf(*w, bell)].stroke != stroke) return false;
            return true;
        });
    };
    ASSERT_TRUE(WaitFor([&] { return ben->session.bellCount == 8; }));
    EXPECT_TRUE(SaveScreenshot(WidgetOf(*ann), "tower-of-eight"));

    // Ann clicks bell 1's button to ring next; Ben presses the key shown on
    // bell 5's; the robot strikes bell 8.
    ann->upperBellButtons[ColumnOf(*ann, 1)].Click();
    ASSERT_TRUE(everyone(1, 1));
    EXPECT_EQ(ben->upperBellButtons[ColumnOf(*ben, 5)].GetWindowText(), "&K");
    QTest::keyClick(WidgetOf(ben->settingsButton), 'k');
    ASSERT_TRUE(everyone(5, 1));
    EXPECT_EQ(ben->lowerBellButtons[ColumnOf(*ben, 5)].GetWindowText(), "&M");
    robot.Send(msg::Strike(8, 1, 0, 0));
    ASSERT_TRUE(everyone(8, 1));

    // Ann's own echo was timed; her next strikes report it and fill her
    // ping column everywhere. The robot's strikes report none.
    EXPECT_GT(ann->session.lastPing, 0);
    ann->lowerBellButtons[ColumnOf(*ann, 1)].Click();
    ASSERT_TRUE(everyone(1, 0));
    robot.Send(msg::Strike(8, 0, 0, 0));
    ASSERT_TRUE(everyone(8, 0));
    EXPECT_GT(ann->session.lastPing, 0);
    EXPECT_EQ(Rows(*ben)[0].substr(0, 6), "Ann|12");
    EXPECT_NE(Rows(*ben)[0].back(), '|');
    EXPECT_EQ(Rows(*ann)[2], "Robot|8|");

    // One key per bell: the same key rings both strokes; numbers hidden show X.
    script.Then([](platform::Dialog& dialog) {
        auto& controls = dynamic_cast<ControlsDialog&>(dialog);
        controls.keyboardCombo.SetCurSel(1);
        controls.numbersCombo.SetCurSel(0);
        EXPECT_TRUE(SaveScreenshot(WidgetOf(controls), "controls-dialog"));
        controls.SendCommand(platform::IDOK);
    });
    ann->settingsButton.Click();
    const int bell4 = ColumnOf(*ann, 4);
    EXPECT_EQ(ann->lowerBellButtons[bell4].GetWindowText(), "X");
    QTest::keyClick(WidgetOf(ann->settingsButton), 's');
    ASSERT_TRUE(everyone(4, 1));
    EXPECT_EQ(ann->lowerBellButtons[bell4].GetWindowText(), "&S");
    QTest::keyClick(WidgetOf(ann->settingsButton), 's');
    ASSERT_TRUE(everyone(4, 0));
}

}  // namespace
