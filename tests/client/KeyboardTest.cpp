// Ringing from the keyboard: each key is the mnemonic of the button to ring
// next of one of the user's bells, so a key press is a click of that button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "ringing/KeyTables.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

// Presses a key the way the keyboard reports it: its key code, the character
// it types and the modifiers held. It goes to the widget with the focus.
void Press(TowerWindow& window, char typed, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    ASSERT_EQ(focus->window(), window.Widget());
    QTest::sendKeyEvent(QTest::Click, focus, QTest::asciiToKey(typed), QString(QChar::fromLatin1(typed)), modifiers);
}

// Bell and new stroke of each strike sent (the reported ping is Striking's business).
using BellStrokes = std::vector<std::pair<int, int>>;

BellStrokes Strikes(const std::vector<MessageBuffer>& messages) {
    BellStrokes strikes;
    for (const MessageBuffer& m : messages) {
        EXPECT_EQ(TypeOf(m), wire::strike::kType);
        EXPECT_EQ(m.Length(), static_cast<std::size_t>(wire::strike::kSize));
        strikes.emplace_back(ReadStrike(m).bell, ReadStrike(m).stroke);
    }
    return strikes;
}

// Sends the strikes back as the server relays them and waits until they show.
void Echo(WindowUnderTest& w, const std::vector<MessageBuffer>& strikes) {
    for (const MessageBuffer& strike : strikes) w.Peer().Send(strike);
    const StrikeFields last = ReadStrike(strikes.back());
    ASSERT_TRUE(platform::PumpUntil([&] { return SlotOfBell(w.Window(), last.bell)->stroke == last.stroke; }, 5000));
}

TEST(KeyboardRinging, TheUpperKeyStrikesAndTheKeysAlternateAsTheNumberMoves) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "34"}, {"Ben", "1256"}}));
    TowerWindow& window = w.Window();
    // A relayout leaves the focus on Settings, where keys reach the mnemonics.
    EXPECT_TRUE(window.settingsButton.HasFocus());
    EXPECT_EQ(SlotOfBell(window, 3)->upperButton->GetWindowText(), "&J");

    Press(window, 'n');  // bell 3's lower key while its number is already down
    EXPECT_TRUE(TakeMessagesWithin(w, 100).empty());

    Press(window, 'j');
    const std::vector<MessageBuffer> up = TakeMessages(w, 1);
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(Strikes(up), (BellStrokes{{3, 1}}));
    EXPECT_EQ(SlotOfBell(window, 3)->stroke, 0);  // nothing moves until the server relays it

    Echo(w, up);
    EXPECT_EQ(SlotOfBell(window, 3)->lowerButton->GetWindowText(), "&N");
    Press(window, 'J');  // the upper button now shows the number and carries no key
    EXPECT_TRUE(TakeMessagesWithin(w, 100).empty());

    Press(window, 'N', Qt::ShiftModifier);
    EXPECT_EQ(Strikes(TakeMessages(w, 1)), (BellStrokes{{3, 0}}));
}

TEST(KeyboardRinging, WithOneKeyPerBellTheSameKeyRingsBothStrokes) {
    WindowUnderTest w;
    w.Window().keyboardControl = 1;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "34"}}));
    TowerWindow& window = w.Window();

    Press(window, 'd');
    const std::vector<MessageBuffer> up = TakeMessages(w, 1);
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(ReadStrike(up[0]).bell, 4);
    EXPECT_EQ(ReadStrike(up[0]).stroke, 1);
    Echo(w, up);
    EXPECT_EQ(SlotOfBell(window, 4)->lowerButton->GetWindowText(), "&D");

    Press(window, 'd');
    const std::vector<MessageBuffer> down = TakeMessages(w, 1);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(ReadStrike(down[0]).bell, 4);
    EXPECT_EQ(ReadStrike(down[0]).stroke, 0);
}

TEST(KeyboardRinging, KeysOfOtherRingersBellsAndOfHiddenButtonsDoNothing) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 8, {{"Ben", "123456"}, {"Ann", "78"}}));
    TowerWindow& window = w.Window();
    for (int bell = 1; bell <= 6; ++bell) EXPECT_EQ(SlotOfBell(window, bell)->upperButton->GetWindowText(), "") << bell;
    Press(window, 'j');  // Ann's bell 7
    const std::vector<MessageBuffer> sent = TakeMessages(w, 1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(ReadStrike(sent[0]).bell, 7);

    // The tower shrinks to six: the buttons of bells 7 and 8 are hidden and
    // their keys J and D ring nothing; Ben's bells never carried keys.
    w.Peer().Send(RingerInfoMessage(6, "Ann", "78"));
    ASSERT_TRUE(platform::PumpUntil([&] { return SlotOfBell(window, 7) == nullptr; }, 5000));
    for (char key : std::string("jdnckhgfbmvxs;l")) Press(window, key);
    EXPECT_TRUE(TakeMessagesWithin(w, 150).empty());
}

TEST(KeyboardRinging, AKeyTypedIntoTheChatLineOnlyTypes) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "34"}}));
    TowerWindow& window = w.Window();
    window.chatEntry.SetFocus();
    Press(window, 'j');
    Press(window, 'D', Qt::ShiftModifier);
    EXPECT_EQ(window.chatEntry.GetWindowText(), "jD");
    EXPECT_TRUE(TakeMessagesWithin(w, 100).empty());

    // Sending the line moves the focus to Send, and keys ring again.
    window.sendButton.Click();
    const std::vector<MessageBuffer> chat = TakeMessages(w, 1);
    ASSERT_EQ(chat.size(), 1u);
    EXPECT_EQ(TypeOf(chat[0]), wire::chat::kType);
    Press(window, 'j');
    EXPECT_EQ(Strikes(TakeMessages(w, 1)), (BellStrokes{{3, 1}}));
}

// Every character of the key tables rings its bell, typed as keyboards type
// it: plain, with Shift (capitals, and "#", ";" or "/" on layouts that shift
// them) and, for the characters the numeric keypad has, from the keypad.
TEST(KeyboardRinging, EveryCharacterOfTheKeyTablesRingsItsBell) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 12, {{"Ann", "1234567890ET"}}));
    TowerWindow& window = w.Window();
    const std::string keypadKeys = "0-/.";

    auto pressEveryWay = [&](std::string_view keys, int stroke) {
        for (std::size_t j = 0; j < keys.size(); ++j) {
            const char key = keys[j];
            const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
            std::vector<std::pair<char, Qt::KeyboardModifiers>> ways = {{lower, Qt::NoModifier},
                                                                       {upper, Qt::ShiftModifier}};
            if (keypadKeys.find(key) != std::string::npos) ways.push_back({key, Qt::KeypadModifier});
            for (const auto& [typed, modifiers] : ways) {
                Press(window, typed, modifiers);
                const std::vector<MessageBuffer> sent = TakeMessages(w, 1, 2000);
                ASSERT_EQ(sent.size(), 1u) << "key " << typed;
                EXPECT_EQ(ReadStrike(sent[0]).bell, static_cast<int>(j) + 1) << "key " << typed;
                EXPECT_EQ(ReadStrike(sent[0]).stroke, stroke) << "key " << typed;
            }
        }
    };

    pressEveryWay(KeyRow(UpperKeys, 12), 1);
    std::vector<MessageBuffer> allUp;
    for (int bell = 1; bell <= 12; ++bell) allUp.push_back(StrikeMessage(bell, 1));
    Echo(w, allUp);
    pressEveryWay(KeyRow(LowerKeys, 12), 0);

    // One key per bell brings "#" (bell 1) and "A" (bell 12).
    window.keyboardControl = 1;
    w.Peer().Send(RingerInfoMessage(12, "Ann", "1234567890ET"));
    ASSERT_TRUE(platform::PumpUntil([&] { return SlotOfBell(window, 1)->upperKey == "#"; }, 5000));
    pressEveryWay(KeyRow(SingleKeys, 12), 1);
    EXPECT_TRUE(TakeMessagesWithin(w, 50).empty());
}

}  // namespace
