// Chat lines to the robot, what it makes of them and what it answers.
#include <gtest/gtest.h>

#include "tools/robot/ChatCommand.h"
#include "tools/robot/MethodLibrary.h"

namespace {

using robot::ChatCommand;
using robot::ChatCommandType;
using robot::ReadChatCommand;

TEST(ChatCommand, OnlyLinesAddressedToTheRobotAreCommands) {
    EXPECT_EQ(ReadChatCommand("Robot", "Robot: method Cambridge Surprise Minor"),
              (ChatCommand{ChatCommandType::Method, "Cambridge Surprise Minor"}));
    EXPECT_EQ(ReadChatCommand("Robot", "  robot :  INTERVAL  250 "), (ChatCommand{ChatCommandType::Interval, "250"}));
    EXPECT_EQ(ReadChatCommand("Robot", "ROBOT: Leave"), (ChatCommand{ChatCommandType::Leave, ""}));
    EXPECT_EQ(ReadChatCommand("Robot", "Robot: dance"), (ChatCommand{ChatCommandType::Unknown, "dance"}));
    EXPECT_EQ(ReadChatCommand("Robot", "Robot: method"), (ChatCommand{ChatCommandType::Unknown, "method"}));
    EXPECT_EQ(ReadChatCommand("Robot", "Robot: leave now"), (ChatCommand{ChatCommandType::Unknown, "leave now"}));
    EXPECT_EQ(ReadChatCommand("Bot 2", "bot 2: leave"), (ChatCommand{ChatCommandType::Leave, ""}));
    for (const char* other : {"Robot", "Robot method x", "Robots: leave", "Hi Robot: leave", "Rob: leave", ""})
        EXPECT_FALSE(ReadChatCommand("Robot", other)) << other;
}

TEST(ChatCommand, CommandsChangeTheRobotAndRefusalsSayWhyAndChangeNothing) {
    robot::RobotRinger ringer(6);
    auto obey = [&](const char* line) { return robot::Obey(*ReadChatCommand("Robot", line), ringer); };
    obey("Robot: method Stedman");
    EXPECT_EQ(ringer.NextMethod()->name, "Stedman Doubles");  // the stage that fits the tower
    EXPECT_EQ(obey("Robot: method Bristol Surprise Major").text, "Bristol Surprise Major is not for 6 bells.");
    EXPECT_EQ(obey("Robot: method Nonesuch Minor").text, "I don't know the method \"Nonesuch Minor\".");
    EXPECT_EQ(ringer.NextMethod()->name, "Stedman Doubles");
    obey("Robot: interval 250");
    for (const char* wrong : {"Robot: interval", "Robot: interval 99", "Robot: interval 2001", "Robot: interval 25O"}) {
        EXPECT_EQ(obey(wrong).text, "The interval is a whole number of milliseconds from 100 to 2000.") << wrong;
    }
    EXPECT_DOUBLE_EQ(ringer.IntervalMs(), 250);
    EXPECT_TRUE(obey("Robot: leave").leave);
    EXPECT_FALSE(obey("Robot: sing").leave);
    EXPECT_EQ(obey("Robot: sing").text, "I understand: method NAME, interval MS, leave.");
}

}  // namespace
