#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "net/MessageBuffer.h"

namespace {

std::string Hex(const MessageBuffer& m) {
    std::string out;
    char b[4];
    for (unsigned char c : m.Bytes()) {
        snprintf(b, sizeof b, "%02X ", c);
        out += b;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

TEST(MessageBuffer, CreateWritesTheHeaderOverZeroedBytes) {
    MessageBuffer m;
    m.Create(6, 1, 1);
    EXPECT_EQ(Hex(m), "06 00 01 00 01 00");

    m.Create(326, 6, 1);
    ASSERT_EQ(m.Length(), 326u);
    EXPECT_EQ(m.GetU16(0), 326);
    EXPECT_EQ(m.GetU16(2), 6);
    for (std::size_t i = 6; i < 326; ++i) ASSERT_EQ(m.Bytes()[i], '\0') << i;
}

TEST(MessageBuffer, CreateRefusesLengthsThatAreNotSigned16Bit) {
    MessageBuffer m(std::string_view("abc"));
    EXPECT_THROW(m.Create(40000, 1, 1), std::length_error);
    EXPECT_EQ(m.Bytes(), "abc");  // unchanged
    EXPECT_NO_THROW(m.Create(32767, 1, 1));
    // A length below the header makes one of the header writes fail.
    EXPECT_THROW(m.Create(5, 1, 1), std::out_of_range);
    EXPECT_THROW(m.Create(4, 1, 1), std::out_of_range);
}

TEST(MessageBuffer, U16IsLittleEndianAndBoundsChecked) {
    MessageBuffer m(std::string_view("\x46\x01", 2));
    EXPECT_EQ(m.GetU16(0), 326);
    MessageBuffer eight;
    eight.Create(8, 4, 1);
    EXPECT_THROW(eight.GetU16(7), std::out_of_range);
    EXPECT_THROW(eight.GetU16(8), std::out_of_range);
    eight.PutU16(6, 0x12345);  // only the low 16 bits
    EXPECT_EQ(eight.GetU16(6), 0x2345);
    // A write whose high byte falls outside keeps its low byte and fails.
    EXPECT_THROW(eight.PutU16(7, 0xABCD), std::out_of_range);
    EXPECT_EQ(static_cast<unsigned char>(eight.Bytes()[7]), 0xCD);
    EXPECT_EQ(eight.Length(), 8u);
}

TEST(MessageBuffer, StringSlotsAreTerminatedOrFullOrCut) {
    MessageBuffer m;
    m.Create(86, 3, 1);
    m.PutString(6, 86, "Go");
    EXPECT_EQ(m.Bytes().substr(6, 3), std::string("Go\0", 3));
    for (std::size_t i = 9; i < 86; ++i) ASSERT_EQ(m.Bytes()[i], '\0');
    EXPECT_EQ(m.GetString(6, 86), "Go");

    const std::string eighty(80, 'a');
    m.PutString(6, 86, eighty);
    EXPECT_EQ(m.GetString(6, 86), eighty);  // no terminator, all 80 bytes

    MessageBuffer longer;
    longer.Create(170, 2, 1);
    longer.PutString(8, 88, std::string(100, 'b'));
    EXPECT_EQ(longer.GetString(8, 88), std::string(80, 'b'));
    EXPECT_EQ(longer.Bytes()[88], '\0');  // the next slot is untouched

    // The empty text writes one zero byte and nothing else.
    MessageBuffer filled(std::string(10, 'x'));
    filled.PutString(2, 8, "");
    EXPECT_EQ(filled.Bytes(), std::string("xx\0xxxxxxx", 10));
}

TEST(MessageBuffer, GetStringNeedsOnlyTheBytesUpToItsTerminator) {
    MessageBuffer terminated(std::string_view("\x09\x00\x0A\x00\x01\x00Go\0", 9));
    EXPECT_EQ(terminated.GetString(6, 86), "Go");
    MessageBuffer open(std::string_view("\x08\x00\x0A\x00\x01\x00Go", 8));
    EXPECT_THROW(open.GetString(6, 86), std::out_of_range);
    EXPECT_EQ(open.GetString(6, 6), "");  // an empty slot reads nothing
    EXPECT_THROW(open.GetString(8, 20), std::out_of_range);
}

TEST(MessageBuffer, PutStringPastTheEndFailsAfterTheBytesThatFit) {
    MessageBuffer m(std::string(8, '\0'));
    EXPECT_THROW(m.PutString(6, 86, "Hello"), std::out_of_range);
    EXPECT_EQ(m.Bytes().substr(6), "He");
    EXPECT_EQ(m.Length(), 8u);
}

}  // namespace
