// Reading Redis replies as they come off a socket: whole, split or malformed.
#include <gtest/gtest.h>

#include <string>

#include "tools/load/RespReader.h"

namespace {

using load::ReadResp;
using load::RespStatus;

TEST(RespReader, WaitsForEveryByteOfAPublishedMessageAndRejectsWhatIsNotTheProtocol) {
    const std::string payload("\x0e\x00\x04\x00\r\n\x00\x01", 8);
    const std::string push = ">3\r\n$7\r\nmessage\r\n$7\r\ntower:3\r\n$8\r\n" + payload + "\r\n";
    load::RespValue value;
    std::size_t used = 0;
    for (std::size_t cut = 0; cut < push.size(); ++cut)
        ASSERT_EQ(ReadResp(push.substr(0, cut), value, used), RespStatus::Incomplete) << cut;
    ASSERT_EQ(ReadResp(push + ":1\r\n", value, used), RespStatus::Complete);
    EXPECT_EQ(used, push.size());  // the integer reply after it stays
    EXPECT_EQ(value.type, '>');
    EXPECT_EQ(value.count, 3);
    EXPECT_EQ(value.items[1], "tower:3");
    EXPECT_EQ(value.items[2], payload);

    for (const char* bad : {"?what\r\n", "$3\r\nabcd\r\n", "*x\r\n"})
        EXPECT_EQ(ReadResp(bad, value, used), RespStatus::Malformed) << bad;
}

}  // namespace
