// The buffer under every message: its header, and what it does with reads
// and writes that run past its end. Texts in their slots are checked through
// the readers and builders (MessagesTest.cpp).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "net/MessageBuffer.h"

namespace {

TEST(MessageBuffer, CreateWritesTheHeaderOverZeroedBytesAndAccessPastTheEndFailsAfterTheBytesThatFit) {
    MessageBuffer m(std::string_view("abc"));
    EXPECT_THROW(m.Create(40000, 1, 1), std::length_error);  // lengths are signed 16-bit
    EXPECT_EQ(m.Bytes(), "abc");                             // unchanged
    EXPECT_THROW(m.Create(5, 1, 1), std::out_of_range);      // shorter than the header
    EXPECT_NO_THROW(m.Create(32767, 1, 1));
    m.Create(326, 6, 1);
    EXPECT_EQ(m.Bytes().substr(0, 6), std::string_view("\x46\x01\x06\x00\x01\x00", 6));  // little-endian
    EXPECT_EQ(m.Bytes().find_first_not_of('\0', 6), std::string_view::npos);

    MessageBuffer eight;
    eight.Create(8, 4, 1);
    EXPECT_THROW(eight.GetU16(7), std::out_of_range);
    eight.PutU16(6, 0x12345);  // only the low 16 bits
    EXPECT_EQ(eight.GetU16(6), 0x2345);
    EXPECT_THROW(eight.PutU16(7, 0xABCD), std::out_of_range);
    EXPECT_EQ(static_cast<unsigned char>(eight.Bytes()[7]), 0xCD);
    EXPECT_THROW(eight.PutString(6, 86, "Hello"), std::out_of_range);
    EXPECT_EQ(eight.Bytes().substr(6), "He");
    EXPECT_EQ(eight.Length(), 8u);
    // A text without its terminator before the end cannot be read.
    EXPECT_THROW(eight.GetString(6, 86), std::out_of_range);
    EXPECT_EQ(eight.GetString(6, 6), "");  // an empty slot reads nothing
}

}  // namespace
