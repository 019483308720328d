// The Controls dialog: the four settings, and a relayout after OK so that
// they take effect at once.
#include <gtest/gtest.h>

#include <QPushButton>
#include <functional>

#include "resources/ResourceIds.h"
#include "ringing/ControlsDialog.h"
#include "ringing/SoundLabels.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

// Opens the dialog with the Settings button, lets `change` act on it, then
// ends it with OK or Cancel.
void RunControls(TowerWindow& window, const std::function<void(ControlsDialog&)>& change, int command) {
    DialogScript script;
    script.Then([&](platform::Dialog& d) {
        auto& dialog = dynamic_cast<ControlsDialog&>(d);
        change(dialog);
        // The dialog's own OK or Cancel button, clicked.
        qobject_cast<QPushButton*>(d.GetDlgItem(command)->Widget())->click();
    });
    window.settingsButton.Click();
    ASSERT_EQ(script.Opened(), 1);
}

struct Settings {
    int keyboard, mouse, weight, numbers;
    friend bool operator==(const Settings&, const Settings&) = default;
};

Settings SettingsOf(const TowerWindow& window) {
    return {window.keyboardControl, window.mouseControl, window.bellWeight, window.showNumbers};
}

std::vector<std::string> SoundLabels(const TowerWindow& window) {
    std::vector<std::string> labels;
    for (const BellSlot& slot : window.slots)
        if (slot.bell != 0) labels.push_back(slot.soundLabel);
    return labels;
}

// Enters a six-bell tower as Ann (bells 3 and 4) and brings bells 1 and 3
// to handstroke, so that their numbers stand on the upper buttons.
void EnterAndRingUp(WindowUnderTest& w) {
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "34"}, {"Ben", "12"}}));
    w.Peer().Send(StrikeMessage(1, 1));
    ASSERT_TRUE(w.SendAndWait(StrikeMessage(3, 1), [&] { return SlotOfBell(w.Window(), 3)->stroke == 1; }));
    ASSERT_EQ(SlotOfBell(w.Window(), 1)->stroke, 1);
}

TEST(ControlsDialog, ShowsEachSettingAsTheIndexOfItsItem) {
    WindowUnderTest w;
    TowerWindow& window = w.Window();
    window.mouseControl = 1;
    window.bellWeight = 2;
    RunControls(
        window,
        [](ControlsDialog& d) {
            EXPECT_EQ(d.Widget()->windowTitle().toStdString(), "Controls");
            EXPECT_EQ(d.Template().id, ids::IDD_CONTROLS);
            const std::vector<std::pair<platform::ComboBox*, std::vector<std::string>>> combos = {
                {&d.mouseCombo, {"Click blank button to move number to it", "Click either button to move number"}},
                {&d.keyboardCombo, {"Two keys per bell", "One key per bell"}},
                {&d.bellsCombo, {"Light", "Medium", "Heavy"}},
                {&d.numbersCombo, {"Hide Bell Numbers", "Show Bell Numbers"}},
            };
            for (const auto& [combo, items] : combos) {
                EXPECT_FALSE(combo->IsSorted());
                std::vector<std::string> listed;
                for (int i = 0; i < combo->GetCount(); ++i) listed.push_back(combo->GetLBText(i));
                EXPECT_EQ(listed, items);
            }
            EXPECT_EQ(d.mouseCombo.Id(), ids::IDC_MOUSE_COMBO);
            EXPECT_EQ(d.keyboardCombo.Id(), ids::IDC_KEYBOARD_COMBO);
            EXPECT_EQ(d.bellsCombo.Id(), ids::IDC_WEIGHT_COMBO);
            EXPECT_EQ(d.numbersCombo.Id(), ids::IDC_NUMBERS_COMBO);
            EXPECT_EQ(d.mouseCombo.GetCurSel(), 1);
            EXPECT_EQ(d.keyboardCombo.GetCurSel(), 0);
            EXPECT_EQ(d.bellsCombo.GetCurSel(), 2);
            EXPECT_EQ(d.numbersCombo.GetCurSel(), 1);
            EXPECT_FALSE(SaveScreenshot(d.Widget(), "controls-dialog").empty());
        },
        platform::IDCANCEL);
    EXPECT_EQ(SettingsOf(window), (Settings{0, 1, 2, 1}));
}

TEST(ControlsDialog, OkWithoutAChangeLaysTheBellsOutAgain) {
    WindowUnderTest w;
    ASSERT_NO_FATAL_FAILURE(EnterAndRingUp(w));
    TowerWindow& window = w.Window();
    RunControls(window, [](ControlsDialog&) {}, platform::IDOK);

    EXPECT_EQ(SettingsOf(window), (Settings{0, 0, 1, 1}));
    for (int bell = 1; bell <= 6; ++bell) {
        const BellSlot& slot = *SlotOfBell(window, bell);
        EXPECT_EQ(slot.stroke, 0) << bell;
        EXPECT_EQ(slot.lowerButton->GetWindowText(), std::to_string(bell));
    }
    EXPECT_EQ(SlotOfBell(window, 3)->upperButton->GetWindowText(), "&J");
    EXPECT_EQ(SlotOfBell(window, 1)->upperButton->GetWindowText(), "");
    // Back in the main window the focus is on Settings, away from the chat line.
    ASSERT_TRUE(platform::PumpUntil([&] { return window.Widget()->isActiveWindow(); }, 2000));
    EXPECT_TRUE(window.settingsButton.HasFocus());
    // The settings are this client's own: nothing goes to the server.
    EXPECT_TRUE(TakeMessagesWithin(w, 100).empty());
}

TEST(ControlsDialog, CancelKeepsEverySettingAndEveryNumberWhereItIs) {
    WindowUnderTest w;
    ASSERT_NO_FATAL_FAILURE(EnterAndRingUp(w));
    TowerWindow& window = w.Window();
    const std::string upperOfThree = SlotOfBell(window, 3)->upperButton->GetWindowText();
    RunControls(
        window,
        [](ControlsDialog& d) {
            d.mouseCombo.SetCurSel(1);
            d.keyboardCombo.SetCurSel(1);
            d.bellsCombo.SetCurSel(0);
            d.numbersCombo.SetCurSel(0);
        },
        platform::IDCANCEL);

    EXPECT_EQ(SettingsOf(window), (Settings{0, 0, 1, 1}));
    EXPECT_EQ(SlotOfBell(window, 3)->stroke, 1);
    EXPECT_EQ(SlotOfBell(window, 1)->stroke, 1);
    EXPECT_EQ(SlotOfBell(window, 3)->upperButton->GetWindowText(), upperOfThree);
    EXPECT_EQ(SlotOfBell(window, 3)->lowerButton->GetWindowText(), "&N");
}

TEST(ControlsDialog, StrikesKeepArrivingWhileTheDialogIsOpen) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "34"}, {"Ben", "12"}}));
    TowerWindow& window = w.Window();
    RunControls(
        window,
        [&](ControlsDialog&) {
            // Ben rings bell 2 behind the dialog: his strike moves the number at once.
            EXPECT_TRUE(w.SendAndWait(StrikeMessage(2, 1), [&] { return SlotOfBell(window, 2)->stroke == 1; }));
            EXPECT_EQ(SlotOfBell(window, 2)->upperButton->GetWindowText(), "2");
        },
        platform::IDCANCEL);
    EXPECT_EQ(SlotOfBell(window, 2)->stroke, 1);
}

TEST(ControlsDialog, HidingAndShowingNumbersTakesEffectAtOnce) {
    WindowUnderTest w;
    ASSERT_NO_FATAL_FAILURE(EnterAndRingUp(w));
    TowerWindow& window = w.Window();
    RunControls(window, [](ControlsDialog& d) { d.numbersCombo.SetCurSel(0); }, platform::IDOK);
    EXPECT_EQ(window.showNumbers, 0);
    for (int bell = 1; bell <= 6; ++bell) EXPECT_EQ(SlotOfBell(window, bell)->lowerButton->GetWindowText(), "X");
    // The "X" still shows the stroke.
    ASSERT_TRUE(w.SendAndWait(StrikeMessage(2, 1), [&] { return SlotOfBell(window, 2)->stroke == 1; }));
    EXPECT_EQ(SlotOfBell(window, 2)->upperButton->GetWindowText(), "X");

    RunControls(window, [](ControlsDialog& d) { d.numbersCombo.SetCurSel(1); }, platform::IDOK);
    for (int bell = 1; bell <= 6; ++bell)
        EXPECT_EQ(SlotOfBell(window, bell)->lowerButton->GetWindowText(), std::to_string(bell));
}

TEST(ControlsDialog, OneKeyPerBellRelabelsTheUsersButtonsAtOnce) {
    WindowUnderTest w;
    ASSERT_NO_FATAL_FAILURE(EnterAndRingUp(w));
    TowerWindow& window = w.Window();
    ASSERT_EQ(SlotOfBell(window, 3)->lowerKey, "N");
    RunControls(window, [](ControlsDialog& d) { d.keyboardCombo.SetCurSel(1); }, platform::IDOK);
    EXPECT_EQ(window.keyboardControl, 1);
    EXPECT_EQ(SlotOfBell(window, 3)->upperKey, "J");
    EXPECT_EQ(SlotOfBell(window, 3)->lowerKey, "J");
    EXPECT_EQ(SlotOfBell(window, 4)->lowerKey, "D");
    EXPECT_EQ(SlotOfBell(window, 3)->upperButton->GetWindowText(), "&J");
    ASSERT_TRUE(w.SendAndWait(StrikeMessage(3, 1), [&] { return SlotOfBell(window, 3)->stroke == 1; }));
    EXPECT_EQ(SlotOfBell(window, 3)->lowerButton->GetWindowText(), "&J");
}

TEST(ControlsDialog, TheBellWeightChangesTheSoundsOfTowersOfUpToNineBells) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 12, {{"Ann", "1"}}));
    TowerWindow& window = w.Window();
    auto resize = [&](int bells) {
        ASSERT_TRUE(w.SendAndWait(RingerInfoMessage(bells, "Ann", "1"), [&] { return window.bellCount == bells; }));
    };
    auto chooseWeight = [&](int weight) {
        RunControls(window, [weight](ControlsDialog& d) { d.bellsCombo.SetCurSel(weight); }, platform::IDOK);
        ASSERT_EQ(window.bellWeight, weight);
    };

    // Twelve (and ten or eleven) bells sound the same whatever the weight.
    const std::vector<std::string> twelve = SoundLabels(window);
    chooseWeight(0);
    EXPECT_EQ(SoundLabels(window), twelve);

    // Six bells: Light and Medium differ.
    resize(6);
    const std::vector<std::string> sixLight = SoundLabels(window);
    chooseWeight(1);
    EXPECT_NE(SoundLabels(window), sixLight);
    for (const BellSlot& slot : window.slots) {
        if (slot.bell != 0) {
            EXPECT_EQ(slot.soundLabel, SoundLabelFor(6, 1, slot.soundPosition)) << slot.bell;
        }
    }

    // Nine bells: Heavy takes the heavier sounds.
    resize(9);
    const std::vector<std::string> nineMedium = SoundLabels(window);
    chooseWeight(2);
    EXPECT_NE(SoundLabels(window), nineMedium);
    EXPECT_EQ(SoundLabels(window).back(), "12");  // the tenor
}

}  // namespace
