#include <gtest/gtest.h>

#include <string>

#include "lobby/ChatLog.h"

namespace {

TEST(PrependChatLine, NewestLineGoesOnTop) {
    std::string shown = PrependChatLine("", "Ann", "Hello");
    EXPECT_EQ(shown, "Ann: Hello\r\n");
    shown = PrependChatLine(shown, "Ben", "Hi");
    EXPECT_EQ(shown, "Ben: Hi\r\nAnn: Hello\r\n");
    EXPECT_EQ(PrependChatLine("", "", ""), ": \r\n");
}

TEST(PrependChatLine, CutsTheOldestTextAtFourThousandBytes) {
    const std::string old = std::string(3980, 'a') + std::string(10, 'z');
    // 5 + 2 + 21 + 2 = 30 bytes of new line: 20 bytes too many.
    const std::string line(21, 'x');
    const std::string shown = PrependChatLine(old, "Ringr", line);
    ASSERT_EQ(shown.size(), kChatDisplayLimit);
    EXPECT_EQ(shown.substr(0, 30), "Ringr: " + line + "\r\n");
    EXPECT_EQ(shown.substr(30), old.substr(0, 3970));

    // Exactly 4000 bytes stay whole.
    EXPECT_EQ(PrependChatLine(std::string(3990, 'a'), "A", "bcd12").size(), 4000u);
    EXPECT_EQ(PrependChatLine(std::string(3990, 'a'), "A", "bcd12").back(), 'a');
}

}  // namespace
