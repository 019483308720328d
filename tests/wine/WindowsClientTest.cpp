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
#include <cctype>
#include <chrono>
#include <filesystem>

#include "resources/ResourceIds.h"
#include "tests/client/support/Harness.h"
#include "tests/wine/WineClient.h"
#include "tower/BellsDialog.h"

using namespace testsupport;
using winetest::ControlView;
using winetest::WindowView;

namespace {

constexpr int kMessageBoxText = 0xFFFF;  // the text of a system message box

// Waits for what Wine's side does, which is slower than a window in this process.
bool Eventually(const std::function<bool()>& condition) { return platform::PumpUntil(condition, 20000); }

bool IsBellButton(int id) {
    const auto& upper = ids::kUpperBellButtons;
    const auto& lower = ids::kLowerBellButtons;
    return std::find(std::begin(upper), std::end(upper), id) != std::end(upper) ||
           std::find(std::begin(lower), std::end(lower), id) != std::end(lower);
}

// What the bell buttons show, "id:text" for each visible one.
std::vector<std::string> BellButtons(const WindowView& window) {
    std::vector<std::string> shown;
    for (const ControlView& c : window.controls)
        if (c.visible && IsBellButton(c.id)) shown.push_back(std::to_string(c.id) + ":" + c.text);
    return shown;
}

// The key shown on a button to ring next of the user's bells ("&j" -> 'j'), or 0.
char KeyToRing(const WindowView& window) {
    for (const ControlView& c : window.controls)
        if (c.visible && IsBellButton(c.id) && c.text.size() == 2 && c.text[0] == '&')
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c.text[1])));
    return 0;
}

// The strokes of the given bells in the window, as one number.
int Strokes(const TowerWindow& window, std::initializer_list<int> bells) {
    int strokes = 0;
    for (int bell : bells) strokes = 2 * strokes + window.session.slots[ColumnOf(window, bell)].stroke;
    return strokes;
}

TEST_F(RealTowerTest, TheWindowsClientRingsAndChatsWithTheLinuxClientUntilTheServerStops) {
    winetest::WineSetup setup;
    ASSERT_TRUE(setup.Load()) << setup.error;

    // Ann, on Linux, starts the tower.
    auto ann = Enter("Ann", "St Wine");
    ASSERT_TRUE(ann);

    // Wendy saves her reviews here (a Unix folder, as Wine's drive Z: shows it).
    const std::filesystem::path reviewFolder =
        std::filesystem::path(TOLMER_SCREENSHOT_DIR).parent_path() / "wine-review";
    std::filesystem::remove_all(reviewFolder);
    const ScopedVariable reviewVariable("TOLMER_REVIEW_DIR", ("Z:" + reviewFolder.string()).c_str());

    // Wendy, on Windows, installs Tolmer with her group's server, which is
    // not on the usual port, starts it and finds the tower listed: her name,
    // Tab past the radio button to the list, the first tower, Enter.
    ASSERT_TRUE(setup.Install({"/SERVER=localhost:" + std::to_string(server.Port())})) << setup.error;
    winetest::WineClient wendy(setup);
    const auto join = wendy.WaitFor("Start/Join a Tower",
                                    [](const WindowView& w) { return w.Rows(ids::IDC_TOWER_LIST).size() == 1; });
    ASSERT_TRUE(join) << "no Start/Join dialog; see " << wendy.LogPath();
    EXPECT_EQ(join->Rows(ids::IDC_TOWER_LIST)[0][0], "St Wine");
    ASSERT_TRUE(wendy.Type("Wendy"));
    ASSERT_TRUE(wendy.Keys({"Tab", "Tab", "Down", "Return"}));
    ASSERT_TRUE(Eventually([&] { return Rows(*ann).size() == 2; })) << "Wendy did not join";
    EXPECT_EQ(Rows(*ann), (std::vector<std::string>{"Ann||", "Wendy||"}));

    // Ann conducts a six: Wendy rings the front two, Ann the back four.
    script.Then(OnDialog<BellsDialog>([](BellsDialog& bells) {
        const std::vector<std::string> byBell = {"Wendy", "Wendy", "Ann", "Ann", "Ann", "Ann"};
        for (std::size_t bell = 0; bell < byBell.size(); ++bell) ChooseEntry(*bells.bellCombos[bell], byBell[bell]);
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();
    ASSERT_TRUE(WaitFor([&] { return ann->session.bellCount == 6; }));
    auto tower = wendy.WaitFor("Tolmer", [](const WindowView& w) {
        return w.Cell(ids::IDC_RINGER_LIST, "Wendy", 1) == "12" &&
               w.Cell(ids::IDC_RINGER_LIST, "Ann", 1) == "3456 (c)" && KeyToRing(w) != 0;
    });
    ASSERT_TRUE(tower) << "Wendy's window did not lay out her bells";

    // Wendy rings with her keys; Ann sees her bells move, and from the
    // second strike on the ping Wendy measured.
    for (int strike = 0; strike < 2; ++strike) {
        const int strokes = Strokes(*ann, {1, 2});
        const std::vector<std::string> before = BellButtons(*tower);
        const char key = KeyToRing(*tower);
        ASSERT_TRUE(wendy.Type(std::string(1, key)));
        ASSERT_TRUE(Eventually([&] {
            return Strokes(*ann, {1, 2}) != strokes;
        })) << "strike "
            << strike << " with key " << key << " did not reach Ann";
        tower = wendy.WaitFor("Tolmer", [&](const WindowView& w) { return BellButtons(w) != before; });
        ASSERT_TRUE(tower) << "Wendy's window did not show her strike";
    }
    const auto wendysRow = [&] {
        for (const std::string& row : Rows(*ann))
            if (row.starts_with("Wendy|")) return row;
        return std::string();
    };
    EXPECT_TRUE(Eventually([&] { return !wendysRow().ends_with("|"); })) << wendysRow();

    // Ann rings; Wendy sees the bell's number move, then Ann's ping.
    for (int bell : {3, 4}) {
        const std::vector<std::string> before = BellButtons(*tower);
        const int stroke = Strokes(*ann, {bell});
        (stroke == 0 ? ann->upperBellButtons : ann->lowerBellButtons)[ColumnOf(*ann, bell)].Click();
        ASSERT_TRUE(WaitFor([&] { return Strokes(*ann, {bell}) != stroke; }));
        tower = wendy.WaitFor("Tolmer", [&](const WindowView& w) { return BellButtons(w) != before; });
        ASSERT_TRUE(tower) << "Ann's strike of bell " << bell << " did not move it for Wendy";
    }
    tower = wendy.WaitFor(
        "Tolmer", [](const WindowView& w) { return !w.Cell(ids::IDC_RINGER_LIST, "Ann", 2).value_or("").empty(); });
    ASSERT_TRUE(tower) << "Ann's ping did not reach Wendy's ringers list";

    // Chat both ways.
    ann->chatEntry.SetWindowText("Look to");
    ann->SendCommand(ids::IDC_SEND);
    tower = wendy.WaitFor("Tolmer", [](const WindowView& w) {
        return w.Text(ids::IDC_CHAT_DISPLAY).find("Ann: Look to") != std::string::npos;
    });
    ASSERT_TRUE(tower) << "Ann's chat line did not reach Wendy";
    ASSERT_TRUE(wendy.Click(*tower->Control(ids::IDC_CHAT_ENTRY)));
    ASSERT_TRUE(wendy.Type("Treble's going"));
    ASSERT_TRUE(wendy.Keys({"Return"}));
    EXPECT_TRUE(Eventually([&] {
        return ann->chatDisplay.GetWindowText().find("Wendy: Treble's going") != std::string::npos;
    })) << ann->chatDisplay.GetWindowText();

    tower = wendy.WaitFor("Tolmer", [](const WindowView& w) {
        return w.Text(ids::IDC_CHAT_DISPLAY).find("Wendy: Treble's going") != std::string::npos;
    });
    ASSERT_TRUE(tower);
    std::filesystem::create_directories(TOLMER_SCREENSHOT_DIR);
    EXPECT_TRUE(wendy.Screenshot(*tower, std::string(TOLMER_SCREENSHOT_DIR) + "/windows-tower.png"));

    // After a silence, a touch of two rows at a steady pace: Wendy rings her
    // bells with her keys, Ann hers; then Wendy reviews it and saves its chart.
    platform::PumpFor(static_cast<int>(StrikeRecorder::kSilence.count()) + 200);
    std::array<int, 7> strokes{};
    for (int bell = 1; bell <= 6; ++bell) strokes[bell] = Strokes(*ann, {bell});
    const auto start = std::chrono::steady_clock::now();
    for (int blow = 0; blow < 12; ++blow) {
        const int bell = blow % 6 + 1;
        const int stroke = strokes[bell] = 1 - strokes[bell];
        const auto due = start + std::chrono::milliseconds(250 * blow);
        platform::PumpUntil([&] { return std::chrono::steady_clock::now() >= due; }, 5000);
        if (bell <= 2) ASSERT_TRUE(wendy.Type(std::string(1, (stroke == 1 ? "jd" : "nc")[bell - 1])));
        else ann->session.SendStrike(bell, stroke);
    }
    ASSERT_TRUE(Eventually([&] {
        for (int bell = 1; bell <= 6; ++bell)
            if (Strokes(*ann, {bell}) != strokes[bell]) return false;
        return true;
    })) << "the touch did not reach Ann";
    ASSERT_TRUE(wendy.Click(*tower->Control(ids::IDC_REVIEW)));
    const auto review = wendy.WaitFor("Striking Review", [](const WindowView& w) {
        return w.Cell(ids::IDC_REVIEW_FIGURES, "Wendy", 1) == "12" &&
               w.Cell(ids::IDC_REVIEW_FIGURES, "Ann", 1) == "3456";
    });
    ASSERT_TRUE(review) << "no review of the touch in Wendy's window";
    EXPECT_TRUE(wendy.Screenshot(*review, std::string(TOLMER_SCREENSHOT_DIR) + "/windows-review.png"));
    ASSERT_TRUE(wendy.Click(*review->Control(ids::IDC_SAVE_PNG)));
    const auto saved = wendy.WaitFor(
        "Striking Review", [](const WindowView& w) { return w.Text(ids::IDC_REVIEW_SAVED).starts_with("Saved "); });
    ASSERT_TRUE(saved);
    std::vector<std::filesystem::path> charts;
    for (const auto& entry : std::filesystem::directory_iterator(reviewFolder)) charts.push_back(entry.path());
    ASSERT_EQ(charts.size(), 1u);
    EXPECT_EQ(QImage(QString::fromStdString(charts[0].string())).width(), 760);
    ASSERT_TRUE(wendy.Keys({"Escape"}));
    EXPECT_TRUE(Eventually([&] {
        const auto windows = wendy.Windows();
        return std::none_of(windows.begin(), windows.end(),
                            [](const WindowView& w) { return w.caption == "Striking Review"; });
    })) << "the review did not close";

    // The server stops: both clients say so, and Wendy's ends when she answers.
    EXPECT_EQ(server.Stop(), 0);
    const auto lost = wendy.WaitFor(
        "tolmer", [](const WindowView& w) { return w.Text(kMessageBoxText) == "Connection to Server Lost."; });
    EXPECT_TRUE(lost) << "no message box on Windows";
    EXPECT_TRUE(Eventually([&] { return boxes.Saw("Connection to Server Lost."); }));
    ASSERT_TRUE(wendy.Keys({"Return"}));
    EXPECT_EQ(wendy.WaitForExit(20000), 0) << "tolmer.exe did not end";
}

}  // namespace
