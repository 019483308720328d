// What every backend of the platform layer promises, run on Qt (platform_tests)
// and on Win32 under Wine (win32_backend_tests): dialogs built from templates,
// the dialog keyboard rule (a bare key clicks the visible button whose caption
// has that character after "&", unless the focus takes text), the styles a
// template gives, texts given back as they were set, list sorting, timers, and
// drawings rendered and shown by the canvas control where the template puts it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/Dialog.h"
#include "platform/EventLoop.h"
#include "platform/Mnemonic.h"
#ifdef _WIN32
#include "platform/win32/WinAccess.h"
#else
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

#include "platform/qt/QtAccess.h"
#endif

using namespace platform;

namespace {

#ifdef _WIN32
// Keys typed on the keyboard, as the focused control receives them.
void Type(Control& focus, const std::string& keys) {
    focus.SetFocus();
    for (char c : keys) PostMessageW(GetFocus(), WM_CHAR, static_cast<WPARAM>(c), 0);
    PumpFor(50);
}
void PressEscape(Dialog& dialog) { PostMessageW(win32::HwndOf(dialog), WM_KEYDOWN, VK_ESCAPE, 0); }
// Whether the control shows the colour at the point.
bool Shows(const Control& control, int x, int y, Colour c) {
    const HWND hwnd = win32::HwndOf(control);
    UpdateWindow(hwnd);
    const HDC dc = GetDC(hwnd);
    const bool shown = GetPixel(dc, x, y) == RGB(c.r, c.g, c.b);
    ReleaseDC(hwnd, dc);
    return shown;
}
#else
void Type(Control& focus, const std::string& keys) {
    focus.SetFocus();
    QTest::keyClicks(qt::WidgetOf(focus), QString::fromStdString(keys));
}
void PressEscape(Dialog& dialog) { QTest::keyClick(qt::WidgetOf(dialog), Qt::Key_Escape); }
bool Shows(const Control& control, int x, int y, Colour c) {
    return qt::WidgetOf(control)->grab().toImage().pixelColor(x, y) == QColor(c.r, c.g, c.b);
}
#endif

std::vector<ControlTemplate> Controls() {
    using enum ControlKind;
    // clang-format off
    return {{10, PushButton, "&J", 5, 5, 30, 14},                {11, PushButton, "&;", 40, 5, 30, 14},
            {12, PushButton, "&b", 75, 5, 30, 14},               {13, PushButton, "7", 110, 5, 30, 14},
            {14, Edit, "", 5, 25, 100, 14},                      {15, Static, "", 5, 45, 100, 20, kWordWrap},
            {16, Static, "one line", 110, 45, 100, 20},          {17, ListView, "", 5, 70, 100, 60, kSingleSelection},
            {18, ListView, "", 110, 70, 100, 60},                {19, ComboBox, "", 145, 5, 90, 60, kSorted},
            {20, RadioButton, "A", 5, 135, 40, 10, kGroupStart}, {21, RadioButton, "B", 5, 145, 40, 10},
            {22, RadioButton, "C", 50, 135, 40, 10, kGroupStart}, {23, Canvas, "", 110, 135, 80, 40}};
    // clang-format on
}

struct TestDialog : Dialog {
    TestDialog() : Dialog(DialogTemplate{500, "Backend", 240, 200, "MS Sans Serif", 8, false, Controls()}) {
        for (int id : {10, 11, 12, 13}) MapCommand(id, [this, id] { clicks.push_back(id); });
        Create();
        Bind(list, 17);
        Bind(combo, 19);
        Bind(canvas, 23);
        for (int i = 0; i < 3; ++i) Bind(radios[i], 20 + i);
        Item(12).ShowWindow(false);
    }
    Control& Item(int id) { return *GetDlgItem(id); }
    void OnTimer(int id) override { timers.push_back(id); }

    std::vector<int> clicks, timers;
    Button radios[3];
    ListView list;
    ComboBox combo;
    Canvas canvas;
};

TEST(DialogKeyboard, ABareKeyClicksTheVisibleButtonThatCarriesItUnlessTheFocusTakesText) {
    EXPECT_EQ(MnemonicOf("Tom && Jerry"), std::nullopt);
    EXPECT_FALSE(MatchesMnemonic("&1", '!'));
    TestDialog d;
    Type(d.Item(13), "jJ;b7");  // b's button is hidden; 7 is no mnemonic
    EXPECT_EQ(d.clicks, (std::vector<int>{10, 10, 11}));
    d.Item(12).ShowWindow(true);
    Type(d.Item(13), "B");
    EXPECT_EQ(d.clicks.back(), 12);

    d.clicks.clear();
    Type(d.Item(14), "j;b");
    EXPECT_TRUE(d.clicks.empty());
    EXPECT_EQ(d.Item(14).GetWindowText(), "j;b");
}

TEST(DialogKeyboard, EscapeCancelsAModalRun) {
    Dialog d(DialogTemplate{500, "Modal", 100, 40, "MS Sans Serif", 8, false, {}});
    Dialog::SetModalHook([](Dialog& dialog) { PressEscape(dialog); });
    EXPECT_EQ(d.DoModal(), IDCANCEL);
    Dialog::SetModalHook(nullptr);
    EXPECT_EQ(d.Handle(), nullptr);
}

TEST(DialogTemplate, GroupStartsSingleSelectionAndWordWrapAreHonoured) {
    TestDialog d;
    // Radio buttons are exclusive within their group only.
    d.radios[0].Click();
    d.radios[2].Click();
    EXPECT_TRUE(d.radios[0].GetCheck());
    d.radios[1].Click();
    EXPECT_FALSE(d.radios[0].GetCheck());
    EXPECT_TRUE(d.radios[2].GetCheck());
#ifndef _WIN32
    const auto widget = [&](int id) { return qt::WidgetOf(d.Item(id)); };
    EXPECT_EQ(qobject_cast<QTreeWidget*>(widget(17))->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(qobject_cast<QTreeWidget*>(widget(18))->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(qobject_cast<QLabel*>(widget(15))->wordWrap());
    EXPECT_FALSE(qobject_cast<QLabel*>(widget(16))->wordWrap());
#endif
}

TEST(Controls, TextsComeBackAsTheyWereSetAndSortedCombosSort) {
    TestDialog d;
    // A static text keeps bytes that are not UTF-8 and its line breaks.
    const std::string bytes = "Ann: caf\xC3\xA9 \xFF\r\nBen: ok";
    d.Item(15).SetWindowText(bytes);
    EXPECT_EQ(d.Item(15).GetWindowText(), bytes);
    d.Item(14).SetWindowText("Zo\xC3\xAB");
    EXPECT_EQ(d.Item(14).GetWindowText(), "Zo\xC3\xAB");
    for (const char* name : {"ben", "Ann", "cy"}) d.combo.AddString(name);
    EXPECT_EQ(d.combo.GetLBText(0) + d.combo.GetLBText(1) + d.combo.GetLBText(2), "Annbency");
    d.combo.SetCurSel(1);
    EXPECT_EQ(d.combo.GetCurSel(), 1);
}

// Orders rows by their first cell, reading it from the list while the sort runs.
int ByFirstCell(std::intptr_t a, std::intptr_t b, std::intptr_t listPointer) {
    const auto& list = *reinterpret_cast<const ListView*>(listPointer);
    std::string textA, textB;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (list.GetItemData(row) == a) textA = list.GetItemText(row, 0);
        if (list.GetItemData(row) == b) textB = list.GetItemText(row, 0);
    }
    return textA.compare(textB);
}

TEST(Controls, ListsSortByTheirRowsAndKeepEqualRowsInOrder) {
    TestDialog d;
    d.list.InsertColumn(0, "Bells", 80);
    const std::vector<std::string> firsts{"5", "12", "3", "12", "4"};
    for (std::size_t i = 0; i < firsts.size(); ++i)
        d.list.SetItemData(d.list.InsertItem(d.list.GetItemCount(), firsts[i]), static_cast<std::intptr_t>(i + 1));
    d.list.SortItems(ByFirstCell, reinterpret_cast<std::intptr_t>(&d.list));
    std::vector<std::intptr_t> order;
    for (int row = 0; row < d.list.GetItemCount(); ++row) order.push_back(d.list.GetItemData(row));
    EXPECT_EQ(order, (std::vector<std::intptr_t>{2, 4, 3, 5, 1}));
}

TEST(Dialog, TimersFireUntilKilled) {
    TestDialog d;
    d.SetTimer(0, 20);
    EXPECT_LE(d.TimerRemainingMs(0), 20);
    ASSERT_TRUE(PumpUntil([&] { return d.timers.size() >= 2; }, 2000));
    d.KillTimer(0);
    EXPECT_FALSE(d.IsTimerRunning(0));
    const std::size_t fired = d.timers.size();
    PumpFor(100);
    EXPECT_EQ(d.timers.size(), fired);
}

bool Dark(Colour c) { return c.r + c.g + c.b < 200; }

TEST(Canvas, ADrawingRendersItsItemsWhereTheyWerePutAndTheControlShowsIt) {
    const Drawing drawing{60,
                          40,
                          {250, 250, 250},
                          {Drawing::Fill{0, 0, 20, 20, {200, 0, 0}}, Drawing::Line{0, 30, 59, 30, {0, 0, 200}, 3},
                           Drawing::Dot{40, 12, 8, {0, 150, 0}, {0, 0, 0}, 2},
                           Drawing::Text{30, 22, "Hi", {0, 0, 0}, 12, true, TextAlign::Centre}}};
    const RgbaImage image = RenderDrawing(drawing);
    ASSERT_EQ(image.pixels.size(), 60u * 40 * 4);
    EXPECT_EQ(image.pixels[3], 255);  // opaque
    EXPECT_EQ(image.At(10, 10), (Colour{200, 0, 0}));
    EXPECT_EQ(image.At(25, 5), (Colour{250, 250, 250}));
    EXPECT_EQ(image.At(50, 30), (Colour{0, 0, 200}));
    EXPECT_EQ(image.At(40, 12), (Colour{0, 150, 0}));
    EXPECT_TRUE(Dark(image.At(32, 12)) || Dark(image.At(33, 12))) << "no ring round the dot";
    int inked = 0;
    for (int y = 22; y < 29; ++y)
        for (int x = 20; x < 40; ++x) inked += Dark(image.At(x, y));
    EXPECT_GT(inked, 10) << "no text";

    // The control is as large as its template says, and shows the drawing.
    TestDialog d;
    EXPECT_EQ(d.canvas.Width(), d.DialogUnitsToPixels(110, 135, 80, 40).cx);
    EXPECT_EQ(d.canvas.Height(), d.DialogUnitsToPixels(110, 135, 80, 40).cy);
    d.canvas.SetDrawing(drawing);
    EXPECT_TRUE(Shows(d.canvas, 10, 10, {200, 0, 0}));
}

}  // namespace
