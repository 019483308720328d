// The dialog keyboard handling: a bare key clicks the visible button whose
// caption has that character after "&", unless the focus takes text.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "platform/Dialog.h"
#include "platform/EventLoop.h"
#include "platform/Mnemonic.h"

using namespace platform;

namespace {

class KeyDialog : public Dialog {
public:
    KeyDialog()
        : Dialog(DialogTemplate{500, "Keys", 200, 100, "MS Sans Serif", 8, false,
                                {{10, ControlKind::PushButton, "&J", 5, 5, 30, 14},
                                 {11, ControlKind::PushButton, "&;", 40, 5, 30, 14},
                                 {12, ControlKind::PushButton, "&b", 75, 5, 30, 14},
                                 {13, ControlKind::PushButton, "7", 110, 5, 30, 14},
                                 {14, ControlKind::Edit, "", 5, 30, 100, 14},
                                 {15, ControlKind::PushButton, "&#", 110, 30, 30, 14}}}) {
        for (int id : {10, 11, 12, 13, 15}) MapCommand(id, [this, id] { clicks.push_back(id); });
    }
    bool OnInitDialog() override {
        Dialog::OnInitDialog();
        Bind(hidden, 12);
        Bind(edit, 14);
        Bind(plain, 13);
        hidden.ShowWindow(false);
        return true;
    }
    std::vector<int> clicks;
    Button hidden, plain;
    Edit edit;
};

void Type(QWidget* target, char c) {
    QTest::keyClicks(target, QString(QChar(c)));
}

TEST(Mnemonic, CharacterAfterTheAmpersandMatchesLettersInEitherCase) {
    EXPECT_EQ(MnemonicOf("&J"), 'J');
    EXPECT_EQ(MnemonicOf("&q Here's treble"), 'q');
    EXPECT_EQ(MnemonicOf("Tom && Jerry"), std::nullopt);
    EXPECT_EQ(MnemonicOf("5"), std::nullopt);
    EXPECT_TRUE(MatchesMnemonic("&J", 'j'));
    EXPECT_TRUE(MatchesMnemonic("&j", 'J'));
    EXPECT_TRUE(MatchesMnemonic("&,", ','));
    EXPECT_FALSE(MatchesMnemonic("&,", '<'));
    EXPECT_FALSE(MatchesMnemonic("&1", '!'));
}

TEST(DialogKeyboard, ABareKeyClicksTheVisibleButtonCarryingIt) {
    KeyDialog d;
    d.Create();
    d.plain.SetFocus();
    QWidget* focus = d.plain.Widget();
    Type(focus, 'j');
    Type(focus, 'J');
    Type(focus, ';');
    Type(focus, '#');
    EXPECT_EQ(d.clicks, (std::vector<int>{10, 10, 11, 15}));
}

TEST(DialogKeyboard, HiddenButtonsAndUnknownKeysDoNothing) {
    KeyDialog d;
    d.Create();
    d.plain.SetFocus();
    Type(d.plain.Widget(), 'b');  // its button is hidden
    Type(d.plain.Widget(), '7');  // a caption without "&" is no mnemonic
    EXPECT_TRUE(d.clicks.empty());
    d.hidden.ShowWindow(true);
    Type(d.plain.Widget(), 'B');
    EXPECT_EQ(d.clicks, (std::vector<int>{12}));
}

TEST(DialogKeyboard, KeysTypedIntoAnEditOnlyType) {
    KeyDialog d;
    d.Create();
    d.edit.SetFocus();
    QTest::keyClicks(d.edit.Widget(), "j;b");
    EXPECT_TRUE(d.clicks.empty());
    EXPECT_EQ(d.edit.GetWindowText(), "j;b");
}

TEST(DialogKeyboard, EscapeCancelsAndModalRunsReturnTheirResult) {
    KeyDialog d;
    Dialog::SetModalHook([](Dialog& dialog) { QTest::keyClick(dialog.Widget(), Qt::Key_Escape); });
    EXPECT_EQ(d.DoModal(), IDCANCEL);
    Dialog::SetModalHook(nullptr);
}

}  // namespace
