#include "app/ServerChoice.h"

#include <string_view>

namespace {

constexpr auto npos = std::string::npos;

std::optional<std::string> GivenServer(const std::string& commandLine) {
    constexpr std::string_view option = " --server";
    for (std::size_t at = commandLine.find(option); at != npos; at = commandLine.find(option, at + 1)) {
        std::size_t from = at + option.size();
        if (from < commandLine.size() && commandLine[from] == '=') {
            ++from;
        } else if (from == commandLine.size() || commandLine[from] == ' ') {
            from = commandLine.find_first_not_of(' ', from);
            if (from == npos) return "";
        } else {
            continue;  // another option that begins the same way
        }
        std::string value = commandLine.substr(from, commandLine.find(' ', from) - from);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

// Blanks and line breaks around the value go, and the byte order mark that
// some Windows editors put at the start of a file.
std::string_view Trimmed(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The value as a message box shows it: one line, not too long.
std::string Shown(std::string_view value) {
    constexpr std::size_t kLongest = 80;
    std::size_t end = 0;
    while (end < value.size() && end < kLongest && static_cast<unsigned char>(value[end]) >= ' ') ++end;
    return std::string(value.substr(0, end)) + (end < value.size() ? "..." : "");
}

constexpr std::string_view kHowToWrite =
    "\n\nWrite the server as HOST or HOST:PORT (an IPv6 address as [ADDRESS]:PORT).";

ServerChoice Parsed(std::string_view value, const std::string& source) {
    ParsedServerAddress parsed = ParseServerAddress(value);
    if (parsed.address) return {std::move(parsed.address), {}};
    return {std::nullopt, "The server \"" + Shown(value) + "\" named by " + source +
                              " cannot be used: " + parsed.problem + "." + std::string(kHowToWrite)};
}

}  // namespace

std::string ServerForSwitch(char letter, const ServerNames& names) {
    switch (letter) {
    case 'l': return "localhost";
    case 't': return names.test;
    case 'd': return names.privateAddress;
    default: return names.main;
    }
}

ServerRequest ReadServerRequest(const std::string& commandLine, const ServerNames& names) {
    ServerRequest request;
    request.given = GivenServer(commandLine);
    for (const char letter : {'l', 't', 'd'}) {
        if (commandLine.find(std::string(" -") + letter) != npos) {
            request.switched = ServerForSwitch(letter, names);
            break;
        }
    }
    return request;
}

ServerChoice ChooseServer(const ServerRequest& request, const std::string& mainServer, const ServerSettings& settings) {
    if (request.given && request.given->empty())
        return {std::nullopt, "--server on the command line needs the server after it." + std::string(kHowToWrite)};
    if (request.given) return Parsed(*request.given, "--server on the command line");
    if (request.switched) return {ServerAddress{*request.switched}, {}};
    if (settings.variable) {
        const std::string_view value = Trimmed(*settings.variable);
        if (!value.empty()) return Parsed(value, std::string("the environment variable ") + kServerVariable);
    }
    if (!settings.file.empty()) {
        const SettingsFileText file = ReadSettingsFile(settings.file);
        const std::u8string path = settings.file.u8string();
        const std::string shownPath(path.begin(), path.end());
        if (file.state == SettingsFileText::State::Unreadable)
            return {std::nullopt, "The settings file " + shownPath + " cannot be read: " + file.error + "."};
        const std::string_view value = Trimmed(file.text);
        if (!value.empty()) return Parsed(value, "the settings file " + shownPath);
    }
    return {ServerAddress{mainServer}, {}};
}
