// The buffer under every message; every reader against every builder, at full slot widths, and each reader on the same
// message one byte too short; the framing rules of both sides.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "net/Framing.h"
#include "net/Messages.h"

namespace {

using wire::MessageType;

// Texts that fill their slots: no terminator, so the last byte matters.
const std::string k80(80, 'n'), k80b(80, 'b'), k240(240, 'c');

TEST(MessageBuffer, CreateWritesTheHeaderOverZeroedBytesAndNothingIsReadOrWrittenPastTheEnd) {
    MessageBuffer m(std::string_view("abc"));
    EXPECT_THROW(m.Create(40000, 1, 1), std::length_error);  // lengths are signed 16-bit
    EXPECT_EQ(m.Bytes(), "abc");                             // unchanged
    EXPECT_THROW(m.Create(5, 1, 1), std::out_of_range);      // shorter than the header
    m.Create(326, 6, 1);
    EXPECT_EQ(m.Bytes().substr(0, 6), std::string_view("\x46\x01\x06\x00\x01\x00", 6));  // little-endian
    EXPECT_EQ(m.Bytes().find_first_not_of('\0', 6), std::string_view::npos);

    m.Create(8, 4, 1);
    m.PutU16(6, 0x12345);  // only the low 16 bits
    EXPECT_EQ(m.GetU16(6), 0x2345);
    EXPECT_THROW(m.GetU16(7), std::out_of_range);
    EXPECT_THROW(m.PutU16(7, 0xABCD), std::out_of_range);
    EXPECT_THROW(m.PutString(6, 86, "Hello"), std::out_of_range);
    EXPECT_THROW(m.GetString(6, 86), std::out_of_range);  // no terminator before the end
    EXPECT_EQ(m.Length(), 8u);
}

template <typename Message, typename Reader>
void ExpectRoundTrip(const Message& sent, Reader read, MessageType type, std::size_t size) {
    const MessageBuffer built = wire::Build(sent);
    ASSERT_EQ(built.Length(), size);
    EXPECT_EQ(wire::TypeOf(built.Bytes()), wire::Number(type));
    EXPECT_EQ(built.GetU16(wire::kWordOffset), wire::kThirdWord);
    EXPECT_EQ(read(built.Bytes()), sent);
    EXPECT_EQ(read(built.Bytes().substr(0, size - 1)), std::nullopt) << "one byte short";
}

TEST(Messages, EveryReaderReadsWhatItsBuilderWroteAndNothingOneByteShort) {
    ExpectRoundTrip(wire::RingerInfo{12, k80, k80b, true}, wire::ReadRingerInfo, MessageType::RingerInfo, 170);
    ExpectRoundTrip(wire::Call{k80}, wire::ReadCall, MessageType::Call, 86);
    ExpectRoundTrip(wire::RingerLeft{k80}, wire::ReadRingerLeft, MessageType::RingerLeft, 86);
    ExpectRoundTrip(wire::Chat{k80, k240}, wire::ReadChat, MessageType::Chat, 326);
    ExpectRoundTrip(wire::TowerListEntry{-3, k80, k80b}, wire::ReadTowerListEntry, MessageType::TowerListEntry, 168);
    ExpectRoundTrip(wire::StartTower{k80, k80b, k80}, wire::ReadStartTower, MessageType::StartTower, 246);
    ExpectRoundTrip(wire::JoinTower{k80, k80b}, wire::ReadJoinTower, MessageType::JoinTower, 166);
    ExpectRoundTrip(wire::TowerEntered{k80}, wire::ReadTowerEntered, MessageType::TowerEntered, 86);
    ExpectRoundTrip(wire::ServerNotice{k80}, wire::ReadServerNotice, MessageType::ServerNotice, 86);
    ExpectRoundTrip(wire::Hello{}, wire::ReadHello, MessageType::Hello, 6);
    // Longer texts are cut to their slots; a short one needs only the bytes up to its zero ("Go": 9 of the 86).
    EXPECT_EQ(wire::ReadChat(wire::Build(wire::Chat{k80 + "n", k240 + "c"}).Bytes()), (wire::Chat{k80, k240}));
    const MessageBuffer call = wire::Build(wire::Call{"Go"});
    EXPECT_EQ(wire::ReadCall(call.Bytes().substr(0, 9)), (wire::Call{"Go"}));
    EXPECT_EQ(wire::ReadCall(call.Bytes().substr(0, 8)), std::nullopt);

    // A strike is read as far as its length allows; missing fields go out as 0.
    const MessageBuffer strike = wire::Build(wire::Strike{5, 1, 65535, 300});
    EXPECT_EQ(wire::TypeOf(strike.Bytes()), wire::strike::kType);
    const std::optional<std::uint16_t> none;
    const std::pair<std::size_t, std::optional<wire::Strike>> byLength[] = {
        {14, wire::Strike{5, 1, 65535, 300}},  {13, wire::Strike{5, 1, 65535, none}},
        {12, wire::Strike{5, 1, 65535, none}}, {11, wire::Strike{5, 1, none, none}},
        {10, wire::Strike{5, 1, none, none}},  {9, std::nullopt},
    };
    for (const auto& [length, read] : byLength)
        EXPECT_EQ(wire::ReadStrike(strike.Bytes().substr(0, length)), read) << length << " bytes";
    EXPECT_EQ(wire::ReadStrike(wire::Build(wire::Strike{2, 0, {}, {}}).Bytes()), (wire::Strike{2, 0, 0, 0}));

    // Numbers outside the catalogue have no type; each side has its own sizes.
    EXPECT_EQ(wire::ToMessageType(0), std::nullopt);
    EXPECT_EQ(wire::ToMessageType(11), std::nullopt);
    EXPECT_EQ(wire::SizeFromClient(MessageType::ServerNotice), 0);
    EXPECT_EQ(wire::SizeFromServer(MessageType::StartTower), 0);
}

TEST(Framing, TheClientWaitsForEightBytesAndTheServerRefusesAnyLengthItCanNeverTake) {
    const std::string hello(wire::Build(wire::Hello{}).Bytes()), call(wire::Build(wire::Call{"Go"}).Bytes());
    const std::string chat(wire::Build(wire::Chat{"Ann", "hi"}).Bytes());  // the longest a client sends
    // The stream, the side, the lengths of the whole messages handed out, whether it stopped at an invalid length.
    const std::tuple<std::string, wire::FrameRules, std::vector<std::size_t>, bool> cases[] = {
        {hello, wire::kFromServer, {}, false},  // a lone 6-byte message waits for 8 bytes
        {hello + call, wire::kFromServer, {6, 86}, false},
        {(hello + call).substr(0, 50), wire::kFromServer, {6}, false},
        {std::string("\x05\0\0\0\0\0\0\0", 8), wire::kFromServer, {}, true},  // shorter than a header
        {chat, wire::kFromClient, {326}, false},
        {chat.substr(0, 1), wire::kFromClient, {}, false},
        {std::string("\x47\x01", 2), wire::kFromClient, {}, true},  // 327: as soon as its two bytes are there
    };
    for (const auto& [stream, rules, wholeLengths, invalid] : cases) {
        std::vector<std::size_t> lengths;
        const auto run = wire::ForEachFrame(stream, rules, [&](std::string_view m) { lengths.push_back(m.size()); });
        EXPECT_EQ(lengths, wholeLengths) << stream.size() << " bytes";
        EXPECT_EQ(run.invalid, invalid) << stream.size() << " bytes";
    }
}

}  // namespace
