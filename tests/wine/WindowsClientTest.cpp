// The Windows client under Wine and the Linux client in one tower of the real
// server: the Windows client is installed silently with the group's server
// and started as from the Start menu, each rings and the other sees the bell
// move and the ping column fill, chat goes both ways, Wendy reviews a touch
// and saves its chart, and stopping the server ends both runs with
// "Connection to Server Lost.". The Windows client is driven from outside,
// by keys and clicks, and read through its windows (tolmer-probe).
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>

#include "resources/ResourceIds.h"
#include "tests/client/support/Harness.h"
#include "tests/wine/WineClient.h"
#include "tower/BellsDialog.h"

using namespace testsupport;
using winetest::WindowView;

namespace {

constexpr int kMessageBoxText = 0xFFFF;  // the text of a system message box

// Waits for what Wine's side does, which is slower than a window in this process.
bool Eventually(const std::function<bool()>& condition) { return platform::PumpUntil(condition, 20000); }

// Whether the control of Wendy's window shows the text.
std::function<bool(const WindowView&)> Showing(int id, const std::string& text) {
    return [=](const WindowView& w) { return w.Text(id).find(text) != std::string::npos; };
}

// What the visible bell buttons show.
std::string BellButtons(const WindowView& window) {
    std::string shown;
    for (const auto& [id, control] : window.controls)
        if (control.visible &&
            std::ranges::count(ids::kUpperBellButtons, id) + std::ranges::count(ids::kLowerBellButtons, id))
            shown += std::to_string(id) + ":" + control.text + " ";
    return shown;
}

int Stroke(const TowerWindow& window, int bell) { return window.session.slots[ColumnOf(window, bell)].stroke; }

TEST_F(RealTowerTest, TheWindowsClientRingsAndChatsWithTheLinuxClientUntilTheServerStops) {
    winetest::WineClient wendy;
    ASSERT_TRUE(wendy.Ready())
        << "needs TOLMER_WINE, TOLMER_WINDOWS_BUILD, WINEPREFIX and DISPLAY (windows.sh sets them)";

    // Ann, on Linux, starts the tower.
    auto ann = Enter("Ann", "St Wine");
    ASSERT_TRUE(ann);

    // Wendy saves her reviews here (a Unix folder, as Wine's drive Z: shows it).
    const auto reviewFolder = std::filesystem::path(TOLMER_SCREENSHOT_DIR).parent_path() / "wine-review";
    std::filesystem::remove_all(reviewFolder);
    const ScopedVariable reviewVariable("TOLMER_REVIEW_DIR", ("Z:" + reviewFolder.string()).c_str());

    // Wendy, on Windows, installs Tolmer with her group's server, which is
    // not on the usual port, starts it and finds the tower listed: her name,
    // Tab past the radio button to the list, the first tower, Enter.
    ASSERT_TRUE(wendy.Install({"/SERVER=localhost:" + std::to_string(server.Port())})) << "the silent install failed";
    ASSERT_TRUE(wendy.Start());
    ASSERT_TRUE(wendy.WaitFor("Start/Join a Tower",
                              [](const WindowView& w) { return !w.Cell(ids::IDC_TOWER_LIST, "St Wine", 0).empty(); }))
        << "no Start/Join dialog listing the tower; Wine said:\n"
        << wendy.Log();
    ASSERT_TRUE(wendy.Type("Wendy"));
    ASSERT_TRUE(wendy.Keys({"Tab", "Tab", "Down", "Return"}));
    ASSERT_TRUE(Eventually([&] { return Rows(*ann).size() == 2; })) << "Wendy did not join";
    EXPECT_EQ(Rows(*ann), (std::vector<std::string>{"Ann||", "Wendy||"}));

    // Ann conducts a six: Wendy rings the front two, Ann the back four.
    script.Then(OnDialog<BellsDialog>([](BellsDialog& bells) {
        for (int bell = 0; bell < 6; ++bell) ChooseEntry(*bells.bellCombos[bell], bell < 2 ? "Wendy" : "Ann");
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();
    ASSERT_TRUE(WaitFor([&] { return ColumnOf(*ann, 6) >= 0; }));
    auto tower = wendy.WaitFor("Tolmer", [](const WindowView& w) {
        return w.Cell(ids::IDC_RINGER_LIST, "Wendy", 1) == "12" && w.Cell(ids::IDC_RINGER_LIST, "Ann", 1) == "3456 (c)";
    });
    ASSERT_TRUE(tower) << "Wendy's window did not lay out her bells";

    // Ann rings; Wendy sees each bell move, then the ping Ann measured.
    for (int bell : {3, 4}) {
        const std::string before = BellButtons(*tower);
        const int stroke = Stroke(*ann, bell);
        (stroke == 0 ? ann->upperBellButtons : ann->lowerBellButtons)[ColumnOf(*ann, bell)].Click();
        ASSERT_TRUE(WaitFor([&] { return Stroke(*ann, bell) != stroke; }));  // timed by its echo
        tower = wendy.WaitFor("Tolmer", [&](const WindowView& w) { return BellButtons(w) != before; });
        ASSERT_TRUE(tower) << "Ann's strike of bell " << bell << " did not move it for Wendy";
    }
    tower =
        wendy.WaitFor("Tolmer", [](const WindowView& w) { return !w.Cell(ids::IDC_RINGER_LIST, "Ann", 2).empty(); });
    ASSERT_TRUE(tower) << "Ann's ping did not reach Wendy's ringers list";

    // Chat both ways.
    ann->chatEntry.SetWindowText("Look to");
    ann->SendCommand(ids::IDC_SEND);
    ASSERT_TRUE(wendy.WaitFor("Tolmer", Showing(ids::IDC_CHAT_DISPLAY, "Ann: Look to")));
    ASSERT_TRUE(wendy.Click(*tower, ids::IDC_CHAT_ENTRY));
    ASSERT_TRUE(wendy.Type("Treble's going"));
    ASSERT_TRUE(wendy.Keys({"Return"}));
    EXPECT_TRUE(Eventually([&] {
        return ann->chatDisplay.GetWindowText().find("Wendy: Treble's going") != std::string::npos;
    })) << ann->chatDisplay.GetWindowText();
    tower = wendy.WaitFor("Tolmer", Showing(ids::IDC_CHAT_DISPLAY, "Wendy: Treble's going"));
    ASSERT_TRUE(tower);
    std::filesystem::create_directories(TOLMER_SCREENSHOT_DIR);
    EXPECT_TRUE(wendy.Screenshot(*tower, std::string(TOLMER_SCREENSHOT_DIR) + "/windows-tower.png"));

    // After a silence, a touch of two rows at a steady pace: Wendy rings her
    // bells with her keys, Ann hers. Ann sees Wendy's bells move and every ping.
    platform::PumpFor(static_cast<int>(StrikeRecorder::kSilence.count()) + 200);
    std::array<int, 7> strokes{};
    for (int bell = 1; bell <= 6; ++bell) strokes[bell] = Stroke(*ann, bell);
    const auto start = std::chrono::steady_clock::now();
    for (int blow = 0; blow < 12; ++blow) {
        const int bell = blow % 6 + 1;
        const auto due = start + std::chrono::milliseconds(250 * blow);
        platform::PumpUntil([&] { return std::chrono::steady_clock::now() >= due; }, 5000);
        if (bell <= 2) ASSERT_TRUE(wendy.Type(std::string(1, (strokes[bell] == 0 ? "jd" : "nc")[bell - 1])));
        else ann->session.SendStrike(bell, 1 - strokes[bell]);
        strokes[bell] = 1 - strokes[bell];
    }
    ASSERT_TRUE(Eventually([&] {
        for (int bell = 1; bell <= 6; ++bell)
            if (Stroke(*ann, bell) != strokes[bell]) return false;
        return true;
    })) << "the touch did not reach Ann";
    EXPECT_TRUE(Eventually([&] {
        return std::ranges::none_of(Rows(*ann), [](const std::string& row) { return row.ends_with("|"); });
    })) << testing::PrintToString(Rows(*ann));

    // Wendy reviews the touch and saves its chart.
    ASSERT_TRUE(wendy.Click(*tower, ids::IDC_REVIEW));
    const auto review = wendy.WaitFor("Striking Review", [](const WindowView& w) {
        return w.Cell(ids::IDC_REVIEW_FIGURES, "Wendy", 1) == "12" &&
               w.Cell(ids::IDC_REVIEW_FIGURES, "Ann", 1) == "3456";
    });
    ASSERT_TRUE(review) << "no review of the touch in Wendy's window";
    EXPECT_TRUE(wendy.Screenshot(*review, std::string(TOLMER_SCREENSHOT_DIR) + "/windows-review.png"));
    ASSERT_TRUE(wendy.Click(*review, ids::IDC_SAVE_PNG));
    ASSERT_TRUE(wendy.WaitFor("Striking Review", Showing(ids::IDC_REVIEW_SAVED, "Saved ")));
    const std::vector<std::filesystem::path> charts(std::filesystem::directory_iterator(reviewFolder), {});
    ASSERT_EQ(charts.size(), 1u);
    EXPECT_FALSE(QImage(QString::fromStdString(charts[0].string())).isNull()) << charts[0];
    ASSERT_TRUE(wendy.Keys({"Escape"}));
    EXPECT_TRUE(Eventually([&] {
        const auto windows = wendy.Windows();
        return std::ranges::none_of(windows, [](const WindowView& w) { return w.caption == "Striking Review"; });
    })) << "the review did not close";

    // The server stops: both clients say so, and Wendy's ends when she answers.
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_TRUE(wendy.WaitFor("tolmer", Showing(kMessageBoxText, "Connection to Server Lost.")))
        << "no message box on Windows";
    EXPECT_TRUE(Eventually([&] { return boxes.Saw("Connection to Server Lost."); }));
    ASSERT_TRUE(wendy.Keys({"Return"}));
    EXPECT_EQ(wendy.WaitForExit(std::chrono::seconds(20)), 0) << "tolmer.exe did not end";
}

}  // namespace
