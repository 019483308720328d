// Every reader against every builder, at full slot widths, and each reader on
// the same message one byte too short; the framing rules of both sides.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Framing.h"
#include "net/Messages.h"

namespace {

// Texts that fill their slots: no terminator, so the last byte matters.
const std::string k80(80, 'n');
const std::string k80b(80, 'b');
const std::string k240(240, 'c');

template <typename Message, typename Reader>
void ExpectRoundTrip(const Message& sent, Reader read, wire::MessageType type, int size) {
    const MessageBuffer built = wire::Build(sent);
    ASSERT_EQ(built.Length(), static_cast<std::size_t>(size));
    EXPECT_EQ(wire::TypeOf(built.Bytes()), wire::Number(type));
    EXPECT_EQ(built.GetU16(wire::kWordOffset), wire::kThirdWord);
    EXPECT_EQ(read(built.Bytes()), sent);
    EXPECT_EQ(read(built.Bytes().substr(0, built.Length() - 1)), std::nullopt) << "one byte short";
}

TEST(Messages, EveryReaderReadsWhatItsBuilderWrote) {
    ExpectRoundTrip(wire::RingerInfo{12, k80, k80b, true}, wire::ReadRingerInfo, wire::MessageType::RingerInfo, 170);
    ExpectRoundTrip(wire::Call{k80}, wire::ReadCall, wire::MessageType::Call, 86);
    ExpectRoundTrip(wire::RingerLeft{k80}, wire::ReadRingerLeft, wire::MessageType::RingerLeft, 86);
    ExpectRoundTrip(wire::Chat{k80, k240}, wire::ReadChat, wire::MessageType::Chat, 326);
    ExpectRoundTrip(wire::TowerListEntry{-3, k80, k80b}, wire::ReadTowerListEntry, wire::MessageType::TowerListEntry,
                    168);
    ExpectRoundTrip(wire::StartTower{k80, k80b, k80}, wire::ReadStartTower, wire::MessageType::StartTower, 246);
    ExpectRoundTrip(wire::JoinTower{k80, k80b}, wire::ReadJoinTower, wire::MessageType::JoinTower, 166);
    ExpectRoundTrip(wire::TowerEntered{k80}, wire::ReadTowerEntered, wire::MessageType::TowerEntered, 86);
    ExpectRoundTrip(wire::ServerNotice{k80}, wire::ReadServerNotice, wire::MessageType::ServerNotice, 86);
    ExpectRoundTrip(wire::Hello{}, wire::ReadHello, wire::MessageType::Hello, 6);
}

TEST(Messages, TextsAreCutToTheirSlotsAndShortOnesNeedOnlyTheirTerminator) {
    const MessageBuffer chat = wire::Build(wire::Chat{std::string(90, 'n'), std::string(300, 'c')});
    const auto read = wire::ReadChat(chat.Bytes());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, k80);
    EXPECT_EQ(read->line, k240);

    // A call of "Go" needs only the bytes up to its zero: 9 of the 86.
    const MessageBuffer call = wire::Build(wire::Call{"Go"});
    EXPECT_EQ(wire::ReadCall(call.Bytes().substr(0, 9)), (wire::Call{"Go"}));
    EXPECT_EQ(wire::ReadCall(call.Bytes().substr(0, 8)), std::nullopt);
}

TEST(Messages, AStrikeIsReadAsFarAsItsLengthAllows) {
    const wire::Strike full{5, 1, 65535, 300};
    const MessageBuffer built = wire::Build(full);
    const std::string_view bytes = built.Bytes();
    ASSERT_EQ(bytes.size(), 14u);
    EXPECT_EQ(wire::TypeOf(bytes), wire::strike::kType);
    EXPECT_EQ(wire::ReadStrike(bytes), full);
    EXPECT_EQ(wire::ReadStrike(bytes.substr(0, 13)), (wire::Strike{5, 1, 65535, std::nullopt}));
    EXPECT_EQ(wire::ReadStrike(bytes.substr(0, 12)), (wire::Strike{5, 1, 65535, std::nullopt}));
    EXPECT_EQ(wire::ReadStrike(bytes.substr(0, 11)), (wire::Strike{5, 1, std::nullopt, std::nullopt}));
    EXPECT_EQ(wire::ReadStrike(bytes.substr(0, 10)), (wire::Strike{5, 1, std::nullopt, std::nullopt}));
    EXPECT_EQ(wire::ReadStrike(bytes.substr(0, 9)), std::nullopt);
    // Missing fields go out as 0.
    EXPECT_EQ(wire::ReadStrike(wire::Build(wire::Strike{2, 0, {}, {}}).Bytes()), (wire::Strike{2, 0, 0, 0}));
}

TEST(Messages, TypeNumbersOutsideTheCatalogueHaveNoTypeAndEachSideHasItsOwnSizes) {
    EXPECT_EQ(wire::ToMessageType(0), std::nullopt);
    EXPECT_EQ(wire::ToMessageType(11), std::nullopt);
    EXPECT_EQ(wire::SizeFromClient(wire::MessageType::ServerNotice), 0);
    EXPECT_EQ(wire::SizeFromServer(wire::MessageType::StartTower), 0);
}

std::vector<std::size_t> Lengths(std::string_view stream, wire::FrameRules rules, bool& invalid) {
    std::vector<std::size_t> lengths;
    const auto run = wire::ForEachFrame(stream, rules, [&](std::string_view m) { lengths.push_back(m.size()); });
    invalid = run.invalid;
    return lengths;
}

TEST(Framing, TheClientWaitsForEightBytesAndRefusesALengthBelowTheHeader) {
    const MessageBuffer hello = wire::Build(wire::Hello{});
    bool invalid = false;
    // A lone 6-byte message stays until 8 bytes are there.
    EXPECT_TRUE(Lengths(hello.Bytes(), wire::kFromServer, invalid).empty());
    const std::string two = std::string(hello.Bytes()) + std::string(wire::Build(wire::Call{"Go"}).Bytes());
    EXPECT_EQ(Lengths(two, wire::kFromServer, invalid), (std::vector<std::size_t>{6, 86}));
    EXPECT_FALSE(invalid);
    EXPECT_EQ(Lengths(two.substr(0, 50), wire::kFromServer, invalid), (std::vector<std::size_t>{6}));

    std::string bad(8, '\0');
    bad[0] = 5;
    EXPECT_TRUE(Lengths(bad, wire::kFromServer, invalid).empty());
    EXPECT_TRUE(invalid);
}

TEST(Framing, TheServerRefusesALengthAboveTheLongestClientMessageAtOnce) {
    bool invalid = false;
    const std::string tooLong("\x47\x01", 2);  // 327, as soon as its two bytes are there
    EXPECT_TRUE(Lengths(tooLong, wire::kFromClient, invalid).empty());
    EXPECT_TRUE(invalid);
    const std::string longest = std::string(wire::Build(wire::Chat{"Ann", "hi"}).Bytes());
    EXPECT_EQ(Lengths(longest, wire::kFromClient, invalid), (std::vector<std::size_t>{326}));
    EXPECT_FALSE(invalid);
    EXPECT_EQ(wire::ScanFrame(longest.substr(0, 1), wire::kFromClient).status, wire::FrameStatus::Incomplete);
}

}  // namespace
