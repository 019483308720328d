// Chat lines addressed to the robot ("Robot: method Cambridge Surprise
// Minor", "Robot: interval 250", "Robot: leave") and its brief answers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/robot/RobotRinger.h"

namespace robot {

enum class ChatCommandType { Method, Interval, Leave, Unknown };

struct ChatCommand {
    ChatCommandType type;
    std::string argument;  // the method's name; the interval as typed
    friend bool operator==(const ChatCommand&, const ChatCommand&) = default;
};

inline constexpr int kShortestIntervalMs = 100;
inline constexpr int kLongestIntervalMs = 2000;

// A line that starts with the robot's name (in any letter case) and ":";
// nothing for a line to anybody else.
std::optional<ChatCommand> ReadChatCommand(std::string_view robotName, std::string_view line);

struct ChatAnswer {
    std::string text;
    bool leave = false;
};

// Carries out a command on the robot and says, briefly, whether it understood.
ChatAnswer Obey(const ChatCommand& command, RobotRinger& robot);

// What the robot says when it arrives: the method it will ring at Go, or ""
// when it has none.
std::string Greeting(std::string_view method);

}  // namespace robot
