// The Win32 backend under Wine, against what the platform interface
// promises on every backend: the dialog keyboard rules, list sorting, texts
// given back as they were set, timers, and sound devices that play silently
// when there is no audio device (the test prefix has its audio turned off).
// Connecting is tests/platform/ConnectTest.cpp, built in here as well.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Canvas.h"
#include "platform/Dialog.h"
#include "platform/EventLoop.h"
#include "platform/sound/MixerProbe.h"
#include "platform/sound/SoundDevice.h"
#include "platform/win32/WinAccess.h"
#include "tests/platform/SampleDrawing.h"
#include "tests/sound/TestWav.h"

using namespace platform;

namespace {

const std::vector<ControlTemplate> kControls = {
    {10, ControlKind::PushButton, "&J", 5, 5, 30, 14},        {11, ControlKind::PushButton, "&b", 40, 5, 30, 14},
    {12, ControlKind::PushButton, "7", 75, 5, 30, 14},        {13, ControlKind::Edit, "", 5, 25, 100, 14},
    {14, ControlKind::Static, "", 5, 45, 100, 20, kWordWrap}, {15, ControlKind::ListView, "", 5, 70, 100, 60},
    {16, ControlKind::ComboBox, "", 110, 5, 100, 60, kSorted}};

class TestDialog : public Dialog {
public:
    TestDialog() : Dialog(DialogTemplate{500, "Backend", 220, 140, "MS Sans Serif", 8, false, kControls}) {
        for (int id : {10, 11, 12}) MapCommand(id, [this, id] { clicks.push_back(id); });
    }
    bool OnInitDialog() override {
        Dialog::OnInitDialog();
        Bind(hidden, 11);
        Bind(plain, 12);
        Bind(edit, 13);
        Bind(label, 14);
        Bind(list, 15);
        Bind(combo, 16);
        hidden.ShowWindow(false);
        return true;
    }
    void OnTimer(int id) override { timers.push_back(id); }

    std::vector<int> clicks, timers;
    Button hidden, plain;
    Edit edit;
    StaticText label;
    ListView list;
    ComboBox combo;
};

// A character typed on the keyboard, as the focused control receives it.
void Type(const std::string& text) {
    for (char c : text) PostMessageW(GetFocus(), WM_CHAR, static_cast<WPARAM>(c), 0);
    PumpFor(50);
}

TEST(Win32Dialog, BareKeysClickTheVisibleButtonCarryingThemUnlessTheFocusTakesText) {
    TestDialog d;
    d.Create();
    d.plain.SetFocus();
    Type("jJb7");
    EXPECT_EQ(d.clicks, (std::vector<int>{10, 10}));  // "&b" is hidden, "7" is no mnemonic
    d.hidden.ShowWindow(true);
    Type("B");
    EXPECT_EQ(d.clicks, (std::vector<int>{10, 10, 11}));

    d.edit.SetFocus();
    Type("jb");
    EXPECT_EQ(d.edit.GetWindowText(), "jb");
    EXPECT_EQ(d.clicks.size(), 3u);
}

TEST(Win32Dialog, EscapeCancelsAModalRun) {
    TestDialog d;
    Dialog::SetModalHook([](Dialog& dialog) { PostMessageW(win32::HwndOf(dialog), WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(d.DoModal(), IDCANCEL);
    Dialog::SetModalHook(nullptr);
    EXPECT_EQ(d.Handle(), nullptr);
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

TEST(Win32Controls, ListsSortByTheirRowsAndKeepEqualRowsInOrder) {
    TestDialog d;
    d.Create();
    d.list.InsertColumn(0, "Bells", 80);
    const std::vector<std::string> firsts{"5", "12", "3", "12", "4"};
    for (std::size_t i = 0; i < firsts.size(); ++i) {
        const int row = d.list.InsertItem(d.list.GetItemCount(), firsts[i]);
        d.list.SetItemData(row, static_cast<std::intptr_t>(i + 1));
    }
    d.list.SortItems(ByFirstCell, reinterpret_cast<std::intptr_t>(&d.list));
    std::vector<std::intptr_t> order;
    for (int row = 0; row < d.list.GetItemCount(); ++row) order.push_back(d.list.GetItemData(row));
    EXPECT_EQ(order, (std::vector<std::intptr_t>{2, 4, 3, 5, 1}));
    EXPECT_EQ(d.list.GetColumnCount(), 1);
    EXPECT_EQ(d.list.GetColumnTitle(0), "Bells");
}

TEST(Win32Controls, TextsComeBackAsTheyWereSet) {
    TestDialog d;
    d.Create();
    // A static text keeps bytes that are not UTF-8 and its line breaks.
    const std::string bytes = "Ann: caf\xC3\xA9 \xFF\r\nBen: ok";
    d.label.SetWindowText(bytes);
    EXPECT_EQ(d.label.GetWindowText(), bytes);
    SetWindowTextW(win32::HwndOf(d.label), L"changed");
    EXPECT_EQ(d.label.GetWindowText(), "changed");

    d.edit.SetWindowText("Zo\xC3\xAB");
    EXPECT_EQ(d.edit.GetWindowText(), "Zo\xC3\xAB");

    EXPECT_TRUE(d.combo.IsSorted());
    for (const char* name : {"ben", "Ann", "cy"}) d.combo.AddString(name);
    EXPECT_EQ(d.combo.GetLBText(0) + d.combo.GetLBText(1) + d.combo.GetLBText(2), "Annbency");
    d.combo.SetCurSel(1);
    EXPECT_EQ(d.combo.GetCurSel(), 1);
}

TEST(Win32Canvas, ADrawingRendersItsItemsWhereTheyWerePutAndTheControlShowsIt) {
    testsupport::ExpectSampleRendered(RenderDrawing(testsupport::SampleDrawing()));

    const testsupport::SampleCanvas sample;
    const HWND hwnd = win32::HwndOf(sample.canvas);
    UpdateWindow(hwnd);
    const HDC dc = GetDC(hwnd);
    EXPECT_EQ(GetPixel(dc, 10, 10), RGB(200, 0, 0));
    ReleaseDC(hwnd, dc);
}

TEST(Win32Dialog, TimersFireUntilKilled) {
    TestDialog d;
    d.Create();
    d.SetTimer(0, 20);
    EXPECT_TRUE(d.IsTimerRunning(0));
    EXPECT_LE(d.TimerRemainingMs(0), 20);
    ASSERT_TRUE(PumpUntil([&] { return d.timers.size() >= 2; }, 2000));
    d.KillTimer(0);
    EXPECT_FALSE(d.IsTimerRunning(0));
    const std::size_t fired = d.timers.size();
    PumpFor(100);
    EXPECT_EQ(d.timers.size(), fired);
}

TEST(Win32Sound, DevicesPlaySilentlyWithoutAnAudioDevice) {
    const auto file = soundtest::TempPath("silent.wav");
    soundtest::WritePcm16Wav(file, std::vector<std::int16_t>(4410, 1000), 1, 44100);
    const SoundDeviceId id = OpenSoundDevice(file.string());
    std::filesystem::remove(file);
    EXPECT_FALSE(CurrentAudioOutput().open);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(OpenSoundDevice("bell-that-is-not-there.wav"), 0u);
    EXPECT_TRUE(SeekSoundToStart(id));
    EXPECT_TRUE(PlaySound(id));
    CloseSoundDevice(id);
    EXPECT_FALSE(PlaySound(id));
}

}  // namespace

int main(int argc, char** argv) {
    Application application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
