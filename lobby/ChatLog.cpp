#include "lobby/ChatLog.h"

std::string PrependChatLine(const std::string& shown, const std::string& name, const std::string& line) {
    std::string text = name + ": " + line + "\r\n" + shown;
    if (text.size() > kChatDisplayLimit) {
        text.resize(kChatDisplayLimit);
    }
    return text;
}
