// Reading Redis replies as they come off a socket: whole, split or malformed.
#include <gtest/gtest.h>

#include <string>

#include "tools/load/RespReader.h"

namespace {

using load::ReadResp;
using load::RespStatus;
using load::RespValue;

TEST(RespReader, ReadsAPublishedMessageWithBinaryPayload) {
    const std::string payload("\x0e\x00\x04\x00\r\n\x00\x01", 8);
    const std::string push = ">3\r\n$7\r\nmessage\r\n$7\r\ntower:3\r\n$8\r\n" + payload + "\r\n:1\r\n";
    RespValue value;
    std::size_t used = 0;
    ASSERT_EQ(ReadResp(push, value, used), RespStatus::Complete);
    EXPECT_EQ(value.type, '>');
    EXPECT_EQ(value.count, 3);
    EXPECT_EQ(value.items[0], "message");
    EXPECT_EQ(value.items[1], "tower:3");
    EXPECT_EQ(value.items[2], payload);
    EXPECT_EQ(used, push.size() - 4);  // the integer reply after it stays

    ASSERT_EQ(ReadResp(std::string_view(push).substr(used), value, used), RespStatus::Complete);
    EXPECT_EQ(value.type, ':');
    EXPECT_EQ(value.text, "1");
}

TEST(RespReader, WaitsForEveryByteOfANestedReply) {
    const std::string hello =
        "%3\r\n$6\r\nserver\r\n$5\r\nredis\r\n$5\r\nproto\r\n:3\r\n$7\r\nmodules\r\n*1\r\n%1\r\n+a\r\n_\r\n";
    RespValue value;
    std::size_t used = 0;
    for (std::size_t cut = 0; cut < hello.size(); ++cut)
        ASSERT_EQ(ReadResp(hello.substr(0, cut), value, used), RespStatus::Incomplete) << cut;
    ASSERT_EQ(ReadResp(hello, value, used), RespStatus::Complete);
    EXPECT_EQ(value.type, '%');
    EXPECT_EQ(used, hello.size());
}

TEST(RespReader, RejectsWhatIsNotTheProtocol) {
    RespValue value;
    std::size_t used = 0;
    EXPECT_EQ(ReadResp("?what\r\n", value, used), RespStatus::Malformed);
    EXPECT_EQ(ReadResp("$3\r\nabcd\r\n", value, used), RespStatus::Malformed);
    EXPECT_EQ(ReadResp("*x\r\n", value, used), RespStatus::Malformed);
    ASSERT_EQ(ReadResp("-ERR unknown command\r\n", value, used), RespStatus::Complete);
    EXPECT_EQ(value.type, '-');
    EXPECT_EQ(value.text, "ERR unknown command");
}

}  // namespace
