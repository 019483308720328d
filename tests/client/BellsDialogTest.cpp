// Allocating bells through the Bells dialog: what the conductor picks, what
// goes to the scripted server, and what changes when the records come back.
#include <gtest/gtest.h>

#include <QComboBox>
#include <functional>

#include "resources/ResourceIds.h"
#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"
#include "tower/Allocation.h"
#include "tower/BellsDialog.h"

using namespace testsupport;

namespace {

using Records = std::vector<RingerFields>;

// An action on the Bells dialog; a dialog the action leaves open is
// cancelled, so that a failed check cannot leave the test waiting.
DialogScript::Action OnBells(std::function<void(BellsDialog&)> act) {
    return [act](platform::Dialog& dialog) {
        auto* bells = dynamic_cast<BellsDialog*>(&dialog);
        if (bells == nullptr) {
            ADD_FAILURE() << "the dialog that opened is not the Bells dialog";
        } else {
            act(*bells);
        }
        if (dialog.IsRunning()) {
            ADD_FAILURE() << "the dialog was left open";
            dialog.OnCancel();
        }
    };
}

std::string Selected(const platform::ComboBox& combo) {
    return combo.GetLBText(combo.GetCurSel());
}

std::vector<std::string> Entries(const platform::ComboBox& combo) {
    std::vector<std::string> entries;
    for (int i = 0; i < combo.GetCount(); ++i) entries.push_back(combo.GetLBText(i));
    return entries;
}

void Choose(platform::ComboBox& combo, const std::string& name) {
    EXPECT_TRUE(ChooseEntry(combo, name)) << "no entry " << name;
}

void Allocate(BellsDialog& dialog, const std::vector<std::string>& byBell) {
    EXPECT_TRUE(ChooseBells(dialog, byBell));
}

Records Read(const std::vector<MessageBuffer>& messages) {
    Records records;
    for (const MessageBuffer& m : messages) {
        EXPECT_EQ(TypeOf(m), wire::ringerInfo::kType);
        EXPECT_EQ(m.Length(), static_cast<std::size_t>(wire::ringerInfo::kSize));
        records.push_back(ReadRingerInfo(m));
    }
    return records;
}

class BellsDialogTest : public ::testing::Test {
protected:
    TowerWindow& Window() { return w.Window(); }
    void PressBells() { Window().bellsButton.Click(); }
    // Every record the window sends in the next moments.
    Records Sent(int ms = 150) { return Read(TakeMessagesWithin(w, ms)); }
    Records SentExactly(std::size_t count) {
        Records records = Read(TakeMessages(w, count));
        Records more = Sent(50);
        records.insert(records.end(), more.begin(), more.end());
        return records;
    }

    WindowUnderTest w;
    DialogScript script;
    MessageBoxRecorder boxes;
};

TEST_F(BellsDialogTest, SixBellsGoOutAsOneRecordPerRingerAndShowWhenTheyComeBack) {
    ASSERT_TRUE(EnterTower(w, "Ann", 0, {{"Ann", ""}, {"Ben", ""}, {"Cy", ""}}));
    script.Then(OnBells([](BellsDialog& d) {
        Allocate(d, {"Ann", "Ann", "Ben", "Ben", "Cy", "Cy"});
        d.SendCommand(platform::IDOK);
    }));
    PressBells();
    EXPECT_EQ(script.Opened(), 1);
    EXPECT_TRUE(boxes.Texts().empty());

    const std::vector<MessageBuffer> sent = TakeMessages(w, 4);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(Read(sent), (Records{{0, "Ann", "", true},  // the opener appoints herself
                                   {6, "Ann", "12", true},
                                   {6, "Ben", "34", false},
                                   {6, "Cy", "56", false}}));
    EXPECT_EQ(Window().bellCount, 6);
    EXPECT_EQ(Window().ringers.FindRinger("Ben")->bells, "34");

    // Nothing on screen changes until the server sends the records back.
    w.Settle(30);
    for (const BellSlot& slot : Window().slots) {
        EXPECT_EQ(slot.bell, 0);
        EXPECT_FALSE(slot.lowerButton->IsWindowVisible());
    }
    EXPECT_EQ(RingerCell(Window(), "Ann", 1), "");

    for (const MessageBuffer& record : sent) w.Peer().Send(record);
    ASSERT_TRUE(platform::PumpUntil([&] { return RingerCell(Window(), "Cy", 1) == "56"; }, 5000));
    EXPECT_EQ(RingerCell(Window(), "Ann", 1), "12 (c)");
    for (int bell = 1; bell <= 6; ++bell) {
        BellSlot* slot = SlotOfBell(Window(), bell);
        ASSERT_NE(slot, nullptr) << bell;
        EXPECT_TRUE(slot->lowerButton->IsWindowVisible());
    }
    EXPECT_EQ(SlotOfBell(Window(), 1)->upperButton->GetWindowText(), "&J");  // Ann's keys for two bells
    EXPECT_EQ(SlotOfBell(Window(), 3)->upperButton->GetWindowText(), "");
}

TEST_F(BellsDialogTest, AllTwelveBellsAndTheSymbolsOfTheTopThree) {
    ASSERT_TRUE(EnterTower(w, "Ann", 0, {{"Ann", ""}, {"Ben", ""}, {"Cy", ""}}));
    script.Then(OnBells([](BellsDialog& d) {
        Allocate(d, {"Ann", "Ann", "Ann", "Ann", "Ben", "Ben", "Ben", "Ben", "Ben", "Cy", "Cy", "Cy"});
        d.SendCommand(platform::IDOK);
    }));
    PressBells();
    EXPECT_EQ(SentExactly(4), (Records{{0, "Ann", "", true},
                                       {12, "Ann", "1234", true},
                                       {12, "Ben", "56789", false},
                                       {12, "Cy", "0ET", false}}));
    EXPECT_EQ(Window().bellCount, 12);
}

TEST_F(BellsDialogTest, OneRingerOnBellsOneThreeAndFive) {
    ASSERT_TRUE(EnterTower(w, "Ann", 0, {{"Ann", ""}, {"Ben", ""}, {"Cy", ""}}));
    script.Then(OnBells([](BellsDialog& d) {
        Allocate(d, {"Cy", "Ann", "Cy", "Ben", "Cy"});
        d.SendCommand(platform::IDOK);
    }));
    PressBells();
    EXPECT_EQ(SentExactly(4), (Records{{0, "Ann", "", true},
                                       {5, "Ann", "2", true},
                                       {5, "Ben", "4", false},
                                       {5, "Cy", "135", false}}));
}

TEST_F(BellsDialogTest, AGapIsReportedOncePerLaterBellAndTheDialogStaysOpen) {
    ASSERT_TRUE(EnterTower(w, "Ann", 0, {{"Ann", ""}, {"Ben", ""}, {"Cy", ""}}));
    script.Then(OnBells([&](BellsDialog& d) {
        Allocate(d, {"Ann", "Ann", "Ben", "Ben", "", "Cy", "", "Cy"});
        d.SendCommand(platform::IDOK);
        EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kAllocationGapMessage, kAllocationGapMessage}));
        EXPECT_TRUE(d.IsRunning());
        // The choices stay; neither the table nor the server learn anything.
        EXPECT_EQ(Selected(*d.bellCombos[5]), "Cy");
        EXPECT_EQ(Selected(*d.bellCombos[4]), "");
        EXPECT_EQ(Window().bellCount, 0);
        EXPECT_EQ(Window().ringers.FindRinger("Ann")->bells, "");
        EXPECT_EQ(Sent(), (Records{{0, "Ann", "", true}}));

        // Filling the gap makes the same choices acceptable.
        boxes.Clear();
        Choose(*d.bellCombos[4], "Cy");
        Choose(*d.bellCombos[6], "Ben");
        d.SendCommand(platform::IDOK);
        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_FALSE(d.IsRunning());
    }));
    PressBells();
    EXPECT_EQ(SentExactly(3), (Records{{8, "Ann", "12", true}, {8, "Ben", "347", false}, {8, "Cy", "568", false}}));
}

TEST_F(BellsDialogTest, BellOneEmptyOrNoBellAtAllIsRefusedWithOneMessage) {
    ASSERT_TRUE(EnterTower(w, "Ann", 4, {{"Ann", "12"}, {"Ben", "34"}}));
    for (const std::vector<std::string>& choice : {std::vector<std::string>{"", "Ben"}, std::vector<std::string>{}}) {
        boxes.Clear();
        script.Then(OnBells([&](BellsDialog& d) {
            Allocate(d, choice);
            d.SendCommand(platform::IDOK);
            EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kAllocationGapMessage}));
            EXPECT_TRUE(d.IsRunning());
            d.SendCommand(platform::IDCANCEL);
        }));
        PressBells();
        EXPECT_EQ(Window().bellCount, 4);
        EXPECT_EQ(Window().ringers.FindRinger("Ann")->bells, "12");
        EXPECT_EQ(Window().ringers.FindRinger("Ben")->bells, "34");
    }
    // Only the first press appointed Ann; nothing else went out.
    EXPECT_EQ(Sent(), (Records{{4, "Ann", "12", true}}));
    EXPECT_EQ(script.Opened(), 2);
}

TEST_F(BellsDialogTest, BellsThenCancelSendsExactlyTheSelfAppointment) {
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}, {"Ben", "3456"}}));
    script.Then(OnBells([](BellsDialog& d) {
        Allocate(d, {"Ben"});  // changed, then thrown away
        Choose(d.conductorCombo, "Ben");
        d.SendCommand(platform::IDCANCEL);
    }));
    PressBells();
    EXPECT_EQ(Sent(), (Records{{6, "Ann", "12", true}}));
    const Ringer* ann = Window().ringers.FindRinger("Ann");
    EXPECT_TRUE(ann->conductor);
    EXPECT_EQ(ann->bells, "12");
    EXPECT_FALSE(Window().ringers.FindRinger("Ben")->conductor);
    EXPECT_EQ(RingerCell(Window(), "Ann", 1), "12");  // the row waits for the server
}

TEST_F(BellsDialogTest, TheConductorsOkWithoutChangeResendsEveryRecord) {
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12", true}, {"Ben", "34"}, {"Cy", "56"}}));
    script.Then(OnBells([](BellsDialog& d) {
        // The dialog opens on the allocation in force.
        const std::vector<std::string> expected = {"Ann", "Ann", "Ben", "Ben", "Cy", "Cy", "", "", "", "", "", ""};
        for (int bell = 1; bell <= 12; ++bell) EXPECT_EQ(Selected(*d.bellCombos[bell - 1]), expected[bell - 1]);
        EXPECT_EQ(Selected(d.conductorCombo), "Ann");
        d.SendCommand(platform::IDOK);
    }));
    PressBells();
    EXPECT_EQ(SentExactly(3), (Records{{6, "Ann", "12", true}, {6, "Ben", "34", false}, {6, "Cy", "56", false}}));
}

TEST_F(BellsDialogTest, ChoosingAnotherConductorHandsOverTheAllocation) {
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12", true}, {"Ben", "34"}, {"Cy", "56"}}));
    ASSERT_TRUE(Window().bellsButton.IsWindowVisible());
    script.Then(OnBells([](BellsDialog& d) {
        Choose(d.conductorCombo, "Ben");
        d.SendCommand(platform::IDOK);
    }));
    PressBells();
    const std::vector<MessageBuffer> sent = TakeMessages(w, 3);
    EXPECT_EQ(Read(sent), (Records{{6, "Ann", "12", false}, {6, "Ben", "34", true}, {6, "Cy", "56", false}}));

    // Back from the server: Ben conducts, so Ann loses the Bells button.
    for (const MessageBuffer& record : sent) w.Peer().Send(record);
    ASSERT_TRUE(platform::PumpUntil([&] { return RingerCell(Window(), "Ben", 1) == "34 (c)"; }, 5000));
    EXPECT_FALSE(Window().bellsButton.IsWindowVisible());
}

TEST_F(BellsDialogTest, CombosListNamesCaseInsensitivelyWhileRecordsGoInByteOrder) {
    ASSERT_TRUE(EnterTower(w, "Ann", 0, {{"Dan", ""}, {"bob", ""}, {"Ann", ""}, {"Cy", ""}}));
    script.Then(OnBells([](BellsDialog& d) {
        for (platform::ComboBox* combo : d.bellCombos) {
            EXPECT_EQ(Entries(*combo), (std::vector<std::string>{"", "Ann", "bob", "Cy", "Dan"}));
        }
        // No empty entry for the conductor; the opener is already flagged.
        EXPECT_EQ(Entries(d.conductorCombo), (std::vector<std::string>{"Ann", "bob", "Cy", "Dan"}));
        EXPECT_EQ(Selected(d.conductorCombo), "Ann");
        Allocate(d, {"bob", "Ann", "Dan", "Cy"});
        d.SendCommand(platform::IDOK);
    }));
    PressBells();
    EXPECT_EQ(SentExactly(5), (Records{{0, "Ann", "", true},
                                       {4, "Ann", "2", true},
                                       {4, "Cy", "4", false},
                                       {4, "Dan", "3", false},
                                       {4, "bob", "1", false}}));
}

TEST_F(BellsDialogTest, RingersArrivingOrLeavingWhileTheDialogIsOpen) {
    ASSERT_TRUE(EnterTower(w, "Ann", 0, {{"Ann", ""}, {"Ben", ""}, {"Cy", ""}}));
    script.Then(OnBells([&](BellsDialog& d) {
        w.Peer().Send(RingerInfoMessage(0, "Eve", ""));
        w.Peer().Send(RingerLeftMessage("Cy"));
        ASSERT_TRUE(platform::PumpUntil(
            [&] { return Window().ringers.FindRinger("Eve") && !Window().ringers.FindRinger("Cy"); }, 5000));
        // The combos keep the names they were filled with.
        EXPECT_EQ(Entries(*d.bellCombos[0]), (std::vector<std::string>{"", "Ann", "Ben", "Cy"}));
        Allocate(d, {"Ann", "Cy", "Ben"});
        d.SendCommand(platform::IDOK);
    }));
    PressBells();
    // Cy's bell counts but goes to nobody; Eve, who came meanwhile, gets none.
    EXPECT_EQ(SentExactly(4), (Records{{0, "Ann", "", true},
                                       {3, "Ann", "1", true},
                                       {3, "Ben", "3", false},
                                       {3, "Eve", "", false}}));
}

TEST_F(BellsDialogTest, TheDialogAsTheConductorSeesIt) {
    ASSERT_TRUE(EnterTower(w, "Ann", 8,
                           {{"Ann", "12", true}, {"Ben", "34"}, {"Cy", "56"}, {"dora", "7"}, {"Eve", "8"}}));
    script.Then(OnBells([](BellsDialog& d) {
        EXPECT_EQ(d.Widget()->windowTitle().toStdString(), "Bells");
        EXPECT_EQ(d.Template().id, ids::IDD_BELLS);
        for (int bell = 1; bell <= 12; ++bell) {
            platform::ComboBox& combo = *d.bellCombos[bell - 1];
            EXPECT_EQ(combo.Id(), ids::IDC_BELL_COMBO_FIRST + bell - 1);
            EXPECT_TRUE(combo.IsSorted());
            EXPECT_FALSE(qobject_cast<QComboBox*>(combo.Widget())->isEditable());
        }
        EXPECT_EQ(d.conductorCombo.Id(), ids::IDC_CONDUCTOR_COMBO);
        EXPECT_EQ(Selected(*d.bellCombos[6]), "dora");
        EXPECT_FALSE(testsupport::SaveScreenshot(d.Widget(), "bells-dialog").empty());
        d.SendCommand(platform::IDCANCEL);
    }));
    PressBells();
    EXPECT_EQ(script.Opened(), 1);
    EXPECT_TRUE(Sent().empty());  // Ann already conducts
}

}  // namespace
