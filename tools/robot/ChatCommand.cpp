#include "tools/robot/ChatCommand.h"

#include <cctype>
#include <charconv>

#include "tools/robot/MethodLibrary.h"
#include "tools/robot/Text.h"

namespace robot {

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<int> IntervalMs(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < kShortestIntervalMs || value > kLongestIntervalMs) return std::nullopt;
    return value;
}

std::string MethodAnswer(std::string_view name, RobotRinger& robot) {
    std::optional<Method> method = FindMethod(name, robot.Bells());
    if (!method) return "I don't know the method \"" + std::string(name) + "\".";
    if (!robot.Fits(method->stage)) {
        return method->name + " is not for " + std::to_string(robot.Bells()) + " bells.";
    }
    std::string answer = "I'll ring " + method->name + " at the next Go.";
    robot.SetMethod(std::move(*method));
    return answer;
}

}  // namespace

std::optional<ChatCommand> ReadChatCommand(std::string_view robotName, std::string_view line) {
    line = Trimmed(line);
    if (robotName.empty() || line.size() <= robotName.size() ||
        !SameLetters(line.substr(0, robotName.size()), robotName)) {
        return std::nullopt;
    }
    std::string_view rest = Trimmed(line.substr(robotName.size()));
    if (rest.empty() || rest.front() != ':') return std::nullopt;
    rest = Trimmed(rest.substr(1));
    const std::size_t space = rest.find_first_of(" \t");
    const std::string_view verb = rest.substr(0, space);
    const std::string_view argument = space == std::string_view::npos ? "" : Trimmed(rest.substr(space));
    if (SameLetters(verb, "method") && !argument.empty()) {
        return ChatCommand{ChatCommandType::Method, std::string(argument)};
    }
    if (SameLetters(verb, "interval")) return ChatCommand{ChatCommandType::Interval, std::string(argument)};
    if (SameLetters(verb, "leave") && argument.empty()) return ChatCommand{ChatCommandType::Leave, ""};
    return ChatCommand{ChatCommandType::Unknown, std::string(rest)};
}

ChatAnswer Obey(const ChatCommand& command, RobotRinger& robot) {
    switch (command.type) {
    case ChatCommandType::Method: return {MethodAnswer(command.argument, robot)};
    case ChatCommandType::Interval:
        if (const std::optional<int> ms = IntervalMs(command.argument)) {
            robot.SetInterval(*ms);
            return {"Interval " + std::to_string(*ms) + " ms."};
        }
        return {"The interval is a whole number of milliseconds from " + std::to_string(kShortestIntervalMs) + " to " +
                std::to_string(kLongestIntervalMs) + "."};
    case ChatCommandType::Leave: return {"Goodbye.", true};
    case ChatCommandType::Unknown: break;
    }
    return {"I understand: method NAME, interval MS, leave."};
}

std::string Greeting(std::string_view method) {
    return "Robot ringer here; at Go I'll ring " +
           (method.empty() ? std::string("nothing until told") : std::string(method)) + ".";
}

}  // namespace robot
