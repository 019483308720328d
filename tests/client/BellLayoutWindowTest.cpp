// The bell buttons of a real window as the server's records lay them out:
// which columns show bells, what each button says in which font, the user's
// keys as mnemonics, and the conductor's controls.
#include <gtest/gtest.h>

#include "resources/ResourceIds.h"
#include "ringing/SoundLabels.h"
#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

// Sends a record that takes the update path (the ringer is known), so the
// bells are laid out again, and waits until it has been taken in.
void Announce(WindowUnderTest& w, int bellCount, const std::string& name, const std::string& bells,
              bool conductor = false) {
    static int fence = 0;
    const std::string marker = "fence " + std::to_string(++fence);
    // A tower list entry that can never complete the list marks the end.
    w.Peer().Send(RingerInfoMessage(bellCount, name, bells, conductor));
    ASSERT_TRUE(w.SendAndWait(TowerListEntryMessage(-1, marker, ""),
                              [&] { return w.Window().towerList.count(marker) == 1; }));
}

// Column by column, the bell shown ("-" for a free column, whose buttons
// must be hidden and blank).
std::string Columns(TowerWindow& window) {
    std::string columns;
    for (const BellSlot& slot : window.slots) {
        const bool shown = slot.upperButton->IsWindowVisible() && slot.lowerButton->IsWindowVisible();
        if (slot.bell == 0) {
            const bool blank = !slot.upperButton->IsWindowVisible() && !slot.lowerButton->IsWindowVisible() &&
                               slot.upperButton->GetWindowText().empty() && slot.lowerButton->GetWindowText().empty();
            columns += blank ? "-" : "?";
        } else {
            columns += shown ? std::string(1, BellSymbols[slot.bell - 1]) : "!";
        }
    }
    return columns;
}

struct Face {
    std::string upper, lower, upperKey, lowerKey;
    int stroke;
    friend bool operator==(const Face&, const Face&) = default;
};

std::ostream& operator<<(std::ostream& out, const Face& f) {
    return out << "{" << f.upper << "|" << f.lower << "|" << f.upperKey << "|" << f.lowerKey << "|" << f.stroke << "}";
}

Face FaceOf(TowerWindow& window, int bell) {
    const BellSlot* slot = SlotOfBell(window, bell);
    if (slot == nullptr) return {"no column", "", "", "", -1};
    return {slot->upperButton->GetWindowText(), slot->lowerButton->GetWindowText(), slot->upperKey, slot->lowerKey,
            slot->stroke};
}

TEST(BellLayoutWindow, TheTowerStandsCentredRightToLeft) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ben", "123456"}}));
    TowerWindow& window = w.Window();
    // Slot 0 is the rightmost column: six bells take slots 3 to 8.
    EXPECT_EQ(Columns(window), "---123456---");
    EXPECT_EQ(window.GetDlgItem(1003)->GetWindowText(), "");
    EXPECT_EQ(window.GetDlgItem(1011)->GetWindowText(), "1");
    EXPECT_EQ(window.slots[3].soundPosition, 7);
    EXPECT_EQ(window.slots[8].soundPosition, 12);

    Announce(w, 5, "Ben", "12345");
    EXPECT_EQ(Columns(window), "---12345----");
    EXPECT_EQ(window.slots[7].soundPosition, 12);

    Announce(w, 12, "Ben", "1234567890ET");
    EXPECT_EQ(Columns(window), "1234567890ET");
    EXPECT_EQ(window.slots[0].lowerButton->GetWindowText(), "1");
    EXPECT_EQ(window.slots[11].lowerButton->GetWindowText(), "12");

    Announce(w, 0, "Ben", "");
    EXPECT_EQ(Columns(window), "------------");
}

TEST(BellLayoutWindow, AFaultyCountShowsTwelveBellsAndAnOverlongStringRingsNothing) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 14, {{"Ann", "1234567890ETT"}}));
    EXPECT_EQ(Columns(w.Window()), "1234567890ET");
    for (int bell = 1; bell <= 12; ++bell) EXPECT_EQ(FaceOf(w.Window(), bell).upperKey, "") << bell;
}

TEST(BellLayoutWindow, TheUsersBellsCarryTheirKeysAsMnemonics) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ben", "1256"}, {"Ann", "34"}}));
    TowerWindow& window = w.Window();
    // Two keys per bell: the upper button to ring next carries the upper key.
    EXPECT_EQ(FaceOf(window, 3), (Face{"&J", "3", "J", "N", 0}));
    EXPECT_EQ(FaceOf(window, 4), (Face{"&D", "4", "D", "C", 0}));
    // Other ringers' bells show their number and no key.
    for (int bell : {1, 2, 5, 6}) EXPECT_EQ(FaceOf(window, bell), (Face{"", std::to_string(bell), "", "", 0})) << bell;

    window.keyboardControl = 1;
    Announce(w, 6, "Ann", "34");
    EXPECT_EQ(FaceOf(window, 3), (Face{"&J", "3", "J", "J", 0}));
    EXPECT_EQ(FaceOf(window, 4), (Face{"&D", "4", "D", "D", 0}));

    // Hidden numbers: the number text is "X" on every bell.
    window.showNumbers = 0;
    Announce(w, 6, "Ann", "34");
    EXPECT_EQ(FaceOf(window, 3), (Face{"&J", "X", "J", "J", 0}));
    EXPECT_EQ(FaceOf(window, 1), (Face{"", "X", "", "", 0}));
}

TEST(BellLayoutWindow, NumbersInTheBigFontKeysInTheDialogFont) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 4, {{"Ann", "1234"}}));
    TowerWindow& window = w.Window();
    for (int bell = 1; bell <= 4; ++bell) {
        const BellSlot& slot = *SlotOfBell(window, bell);
        EXPECT_EQ(slot.lowerButton->Widget()->font().pixelSize(), window.bigFont.Get().pixelSize());
        EXPECT_EQ(slot.lowerButton->Widget()->font().family(), window.bigFont.Get().family());
        EXPECT_EQ(slot.upperButton->Widget()->font().pixelSize(), window.DialogFont().Get().pixelSize());
        // The sound labels follow the new layout.
        EXPECT_EQ(slot.soundLabel, SoundLabelFor(4, window.bellWeight, slot.soundPosition));
        EXPECT_FALSE(slot.soundLabel.empty());
    }
    EXPECT_NE(window.bigFont.Get().pixelSize(), window.DialogFont().Get().pixelSize());
}

TEST(BellLayoutWindow, ARelayoutPutsEveryNumberBackOnItsLowerButtonAndFocusesSettings) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ben", "1256"}, {"Ann", "34"}}));
    TowerWindow& window = w.Window();
    // As strikes leave them: numbers up, keys down.
    for (int bell = 1; bell <= 6; ++bell) {
        BellSlot& slot = *SlotOfBell(window, bell);
        slot.stroke = 1;
        slot.upperButton->SetWindowText(std::to_string(bell));
        slot.lowerButton->SetWindowText(slot.lowerKey.empty() ? "" : "&" + slot.lowerKey);
    }
    window.chatEntry.SetFocus();
    ASSERT_EQ(window.Widget()->focusWidget(), window.chatEntry.Widget());
    Announce(w, 6, "Ben", "1256");
    for (int bell = 1; bell <= 6; ++bell) {
        const Face face = FaceOf(window, bell);
        EXPECT_EQ(face.stroke, 0) << bell;
        EXPECT_EQ(face.lower, std::to_string(bell)) << bell;
    }
    EXPECT_EQ(FaceOf(window, 3).upper, "&J");
    EXPECT_EQ(window.Widget()->focusWidget(), window.settingsButton.Widget());
    EXPECT_FALSE(window.settingsButton.GetState());
}

TEST(BellLayoutWindow, ConductorControlsHideWhileSomeoneElseConducts) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "123"}, {"Di", "456"}}));
    TowerWindow& window = w.Window();
    auto shown = [&] {
        int visible = 0;
        for (int id : ids::kMessageButtons) visible += window.GetDlgItem(id)->IsWindowVisible();
        visible += window.bellsButton.IsWindowVisible();
        visible += window.messagesButton.IsWindowVisible();
        return visible;
    };
    EXPECT_EQ(shown(), 10);  // nobody conducts
    Announce(w, 6, "Di", "456", true);
    EXPECT_EQ(shown(), 0);
    Announce(w, 6, "Ann", "123", true);  // the user conducts too
    EXPECT_EQ(shown(), 10);
    Announce(w, 6, "Ann", "123", false);
    EXPECT_EQ(shown(), 0);
    Announce(w, 6, "Di", "456", false);
    EXPECT_EQ(shown(), 10);
}

TEST(BellLayoutWindow, TowerOfEight) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 8,
                           {{"Ann", "12"}, {"Ben", "34"}, {"Cy", "56"}, {"Di", "78", true}}));
    TowerWindow& window = w.Window();
    EXPECT_EQ(Columns(window), "--12345678--");
    EXPECT_EQ(FaceOf(window, 1).upper, "&J");
    EXPECT_EQ(FaceOf(window, 2).upper, "&D");
    EXPECT_FALSE(window.bellsButton.IsWindowVisible());
    EXPECT_FALSE(SaveScreenshot(window.Widget(), "tower-of-eight").empty());
}

}  // namespace
