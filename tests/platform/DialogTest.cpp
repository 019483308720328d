// Dialogs built from templates: the styles a template gives its controls,
// and the dialog keyboard handling (a bare key clicks the visible button
// whose caption has that character after "&", unless the focus takes text).
#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "platform/Dialog.h"
#include "platform/Mnemonic.h"
#include "platform/qt/QtAccess.h"

using namespace platform;
using platform::qt::WidgetOf;

namespace {

class TestDialog : public Dialog {
public:
    explicit TestDialog(std::vector<ControlTemplate> controls)
        : Dialog(DialogTemplate{500, "Test", 200, 120, "MS Sans Serif", 8, false, std::move(controls)}) {}
    template <typename W>
    W* Item(int id) {
        return qobject_cast<W*>(WidgetOf(*GetDlgItem(id)));
    }
    std::vector<int> clicks;
    void Record(int id) {
        MapCommand(id, [this, id] { clicks.push_back(id); });
    }
};

TEST(DialogTemplate, GroupStartsSingleSelectionAndWordWrapAreHonoured) {
    TestDialog d({{10, ControlKind::RadioButton, "A", 5, 5, 40, 10, kGroupStart},
                  {11, ControlKind::RadioButton, "B", 5, 15, 40, 10},
                  {12, ControlKind::RadioButton, "C", 50, 5, 40, 10, kGroupStart},
                  {13, ControlKind::ListView, "", 5, 30, 90, 40, kSingleSelection},
                  {14, ControlKind::ListView, "", 100, 30, 90, 40},
                  {15, ControlKind::Static, "wraps", 5, 80, 90, 20, kWordWrap},
                  {16, ControlKind::Static, "one line", 100, 80, 90, 20}});
    d.Create();
    // Radio buttons are exclusive within their group only.
    d.Item<QRadioButton>(10)->click();
    d.Item<QRadioButton>(12)->click();
    EXPECT_TRUE(d.Item<QRadioButton>(10)->isChecked());
    d.Item<QRadioButton>(11)->click();
    EXPECT_FALSE(d.Item<QRadioButton>(10)->isChecked());
    EXPECT_TRUE(d.Item<QRadioButton>(12)->isChecked());
    EXPECT_EQ(d.Item<QTreeWidget>(13)->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(d.Item<QTreeWidget>(14)->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(d.Item<QLabel>(15)->wordWrap());
    EXPECT_FALSE(d.Item<QLabel>(16)->wordWrap());
}

TEST(DialogKeyboard, ABareKeyClicksTheVisibleButtonThatCarriesIt) {
    EXPECT_EQ(MnemonicOf("Tom && Jerry"), std::nullopt);
    EXPECT_TRUE(MatchesMnemonic("&j", 'J'));
    EXPECT_FALSE(MatchesMnemonic("&1", '!'));

    TestDialog d({{10, ControlKind::PushButton, "&J", 5, 5, 30, 14},
                  {11, ControlKind::PushButton, "&;", 40, 5, 30, 14},
                  {12, ControlKind::PushButton, "&b", 75, 5, 30, 14},
                  {13, ControlKind::PushButton, "7", 110, 5, 30, 14},
                  {14, ControlKind::Edit, "", 5, 30, 100, 14}});
    for (const int id : {10, 11, 12, 13}) d.Record(id);
    d.Create();
    d.GetDlgItem(12)->ShowWindow(false);
    QWidget* plain = WidgetOf(*d.GetDlgItem(13));
    plain->setFocus();
    QTest::keyClicks(plain, "jJ;b7");  // b's button is hidden; 7 is no mnemonic
    EXPECT_EQ(d.clicks, (std::vector<int>{10, 10, 11}));
    d.GetDlgItem(12)->ShowWindow(true);
    QTest::keyClicks(plain, "B");
    EXPECT_EQ(d.clicks.back(), 12);

    // Typed into an edit, keys only type.
    d.clicks.clear();
    QTest::keyClicks(WidgetOf(*d.GetDlgItem(14)), "j;b");
    EXPECT_TRUE(d.clicks.empty());
    EXPECT_EQ(d.GetDlgItem(14)->GetWindowText(), "j;b");
}

TEST(DialogKeyboard, EscapeCancelsAModalRun) {
    TestDialog d({{10, ControlKind::PushButton, "&J", 5, 5, 30, 14}});
    Dialog::SetModalHook([](Dialog& dialog) { QTest::keyClick(WidgetOf(dialog), Qt::Key_Escape); });
    EXPECT_EQ(d.DoModal(), IDCANCEL);
    Dialog::SetModalHook(nullptr);
}

}  // namespace
