// Bell sounds through the window: the sound each bell is given, and a strike
// that comes back restarting that sound.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/sound/MixerProbe.h"
#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

std::vector<std::string> Labels(TowerWindow& window) {
    std::vector<std::string> labels;
    for (int bell = 1; bell <= window.bellCount; ++bell) {
        const BellSlot* slot = SlotOfBell(window, bell);
        labels.push_back(slot ? slot->soundLabel : "?");
    }
    return labels;
}

// Lays the tower out again with Ann on every bell, and waits for the labels.
void Relayout(WindowUnderTest& w, int bellCount, const std::vector<std::string>& expected) {
    const std::string bells(wire::kBellSymbols.substr(0, static_cast<std::size_t>(bellCount)));
    w.Peer().Send(RingerInfoMessage(bellCount, "Ann", bells));
    platform::PumpUntil([&] { return Labels(w.Window()) == expected; }, 5000);
    EXPECT_EQ(Labels(w.Window()), expected) << bellCount << " bells, weight " << w.Window().bellWeight;
}

TEST(BellSoundsWindow, EachBellTakesTheSoundOfItsTowerSizeAndWeight) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "123456"}}));
    TowerWindow& window = w.Window();
    EXPECT_EQ(Labels(window), (std::vector<std::string>{"4", "5", "6b", "7", "8", "9"}));  // Medium
    for (const BellSlot& slot : window.slots) {
        if (slot.bell == 0) {
            EXPECT_EQ(slot.soundLabel, "");
        }
    }

    window.bellWeight = 0;
    Relayout(w, 6, {"3", "4", "5", "6", "7", "8"});
    Relayout(w, 8, {"2", "3", "4", "5", "6b", "7", "8", "9"});
    Relayout(w, 1, {"5"});
    window.bellWeight = 1;
    Relayout(w, 8, {"2", "3", "4", "5", "6b", "7", "8", "9"});
    window.bellWeight = 2;
    Relayout(w, 8, {"5", "6", "7", "8", "9", "10", "11", "12"});
    Relayout(w, 3, {"10", "11", "12"});
    window.bellWeight = 0;
    Relayout(w, 12, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"});
    Relayout(w, 10, {"3", "4", "5", "6", "7", "8", "9", "10", "11", "12"});
}

std::int64_t SteadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void WriteTone(const std::filesystem::path& path) {
    constexpr std::uint32_t kRate = 48000;
    std::vector<std::int16_t> samples(kRate);  // a second: still sounding at the next strike
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>((i % 100) * 200 - 10000);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(dataBytes));
}

// Opens the window in a folder that holds only bell6b.wav and bell7.wav, the
// sounds of bells 3 and 4 of six with "Medium".
class BellSoundsPlaying : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / ("tolmer-sounds-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        WriteTone(folder_ / "bell6b.wav");
        WriteTone(folder_ / "bell7.wav");
        const std::filesystem::path home = std::filesystem::current_path();
        std::filesystem::current_path(folder_);
        w_ = std::make_unique<WindowUnderTest>();
        std::filesystem::current_path(home);
    }
    void TearDown() override {
        // The devices outlive a window as they outlive the program; free them
        // for the tests that follow.
        if (w_) {
            for (const auto& [label, device] : w_->Window().sounds) platform::CloseSoundDevice(device);
        }
        w_.reset();
        std::filesystem::remove_all(folder_);
    }
    WindowUnderTest& W() { return *w_; }

    // The server's strike of the bell that moves it; true once handled.
    bool Strike(int bell) {
        BellSlot* slot = SlotOfBell(W().Window(), bell);
        if (slot == nullptr) return false;
        const int stroke = slot->stroke == 0 ? 1 : 0;
        return W().SendAndWait(StrikeMessage(bell, stroke), [&] { return slot->stroke == stroke; });
    }
    static bool RestartedSince(platform::SoundDeviceId device, std::int64_t since) {
        return platform::PumpUntil([&] { return platform::LastRestartRenderNs(device) >= since; }, 5000);
    }

private:
    std::filesystem::path folder_;
    std::unique_ptr<WindowUnderTest> w_;
};

TEST_F(BellSoundsPlaying, AStrikeRestartsItsBellsSoundAndAMissingSoundStaysSilent) {
    TowerWindow& window = W().Window();
    ASSERT_EQ(window.sounds.size(), 13u);
    const platform::SoundDeviceId sixB = window.sounds.at("6b");
    const platform::SoundDeviceId seven = window.sounds.at("7");
    ASSERT_NE(sixB, 0u);
    ASSERT_NE(seven, 0u);
    EXPECT_EQ(window.sounds.at("4"), 0u);  // no file: no device
    ASSERT_TRUE(platform::CurrentAudioOutput().open);

    ASSERT_TRUE(EnterTower(W(), "Ann", 6, {{"Ann", "34"}, {"Ben", "1256"}}));
    MessageBoxRecorder boxes;

    const std::int64_t first = SteadyNowNs();
    ASSERT_TRUE(Strike(3));
    EXPECT_TRUE(RestartedSince(sixB, first));
    EXPECT_EQ(platform::LastRestartRenderNs(seven), 0) << "only the struck bell sounds";

    // Struck again while still sounding: back to the beginning.
    const std::int64_t again = SteadyNowNs();
    ASSERT_TRUE(Strike(3));
    EXPECT_TRUE(RestartedSince(sixB, again));

    const std::int64_t other = SteadyNowNs();
    ASSERT_TRUE(Strike(4));
    EXPECT_TRUE(RestartedSince(seven, other));

    // Bell 1 has the sound "4", whose file is missing: the number moves,
    // nothing sounds and nobody is told.
    ASSERT_TRUE(Strike(1));
    EXPECT_EQ(SlotOfBell(window, 1)->upperButton->GetWindowText(), "1");
    W().Settle(50);
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
