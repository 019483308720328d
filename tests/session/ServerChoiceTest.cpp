// Which server a run uses: the command line's switches and --server, then
// TOLMER_SERVER, then the settings file, then the main server; and the form
// HOST[:PORT] wherever it is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

#include "app/ServerChoice.h"

namespace {

const ServerNames names{"main.example", "test.example", "10.0.0.1"};

// A settings file of the test's own, removed afterwards.
class SettingsFile {
public:
    explicit SettingsFile(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    ~SettingsFile() { std::filesystem::remove_all(path); }
    std::string Shown() const {
        const std::u8string shown = path.u8string();
        return std::string(shown.begin(), shown.end());
    }
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tolmer-server-" + std::to_string(std::random_device{}()));
};

ServerChoice Choose(const std::string& commandLine, const ServerSettings& settings = {}) {
    return ChooseServer(ReadServerRequest(commandLine, names), names.main, settings);
}

std::string Chosen(const std::string& commandLine, const ServerSettings& settings = {}) {
    const ServerChoice choice = Choose(commandLine, settings);
    if (!choice.address) return "problem: " + choice.problem;
    return choice.address->host + " " + std::to_string(choice.address->port);
}

TEST(ServerChoice, EachPlaceGivesWayToTheOneAboveItAndTheMainServerComesLast) {
    const SettingsFile file("from-file.example:4001\n"), bad("ringing.example.org:70000\n"), folder("");
    const ServerSettings all{"from-variable.example:4002", file.path}, badBelow{"::1", bad.path};
    // A folder where the file should be cannot be read as one.
    std::filesystem::remove(folder.path);
    std::filesystem::create_directory(folder.path);
    // The file is one line; blanks around it do not count.
    const auto inFile = [](const SettingsFile& f) { return ServerSettings{std::nullopt, f.path}; };
    const SettingsFile spaced("ringing.example.org:4000   \n"), notepad("\xEF\xBB\xBF  [2001:db8::7]:4000\r\n\r\n"),
        empty(""), blank(" \n\n"), twoLines("ringing.example.org\nother.example.org\n");
    const std::vector<std::tuple<std::string, ServerSettings, std::string>> cases = {
        // The switches are plain case-sensitive text after a blank; -l is searched first.
        {"tolmer", {}, "main.example 17481"},
        {"tolmer -t", {}, "test.example 17481"},
        {"tolmer -d", {}, "10.0.0.1 17481"},
        {"tolmer -t -l", {}, "localhost 17481"},
        {"tolmer -lx", {}, "localhost 17481"},
        {"-l tolmer", {}, "main.example 17481"},
        {"tolmer -L", {}, "main.example 17481"},
        // --server takes the next word after blanks or an equals sign.
        {"tolmer --server ringing.example.org", {}, "ringing.example.org 17481"},
        {"tolmer --server=192.0.2.7:4000 -t", {}, "192.0.2.7 4000"},
        {"tolmer.exe  --server  \"[2001:db8::7]:4000\"", {}, "2001:db8::7 4000"},
        {"tolmer --servers x -d", {}, "10.0.0.1 17481"},  // another option
        {"tolmer --server", {}, "problem: --server on the command line needs the server after it."},
        {"tolmer --server   ", {}, "problem: --server on the command line needs the server after it."},
        {"tolmer --server= -l", {}, "problem: --server on the command line needs the server after it."},
        // Then the variable, then the file.
        {"tolmer --server given.example:4003 -t", all, "given.example 4003"},
        {"tolmer -t", all, "test.example 17481"},
        {"tolmer", all, "from-variable.example 4002"},
        {"tolmer", {"", file.path}, "from-file.example 4001"},  // set, but naming nothing
        {"tolmer", {std::nullopt, file.path}, "from-file.example 4001"},
        {"tolmer", {std::nullopt, file.path.string() + "-not-there"}, "main.example 17481"},
        {"tolmer", {std::nullopt, file.path / "under-a-file"}, "main.example 17481"},
        {"tolmer", {std::nullopt, {}}, "main.example 17481"},  // no place for one
        {"tolmer", inFile(spaced), "ringing.example.org 4000"},
        {"tolmer", inFile(notepad), "2001:db8::7 4000"},  // as Notepad may save it
        {"tolmer", inFile(empty), "main.example 17481"},
        {"tolmer", inFile(blank), "main.example 17481"},
        {"tolmer", inFile(twoLines), "problem: The server \"ringing.example.org...\" named by the settings file"},
        {"tolmer", inFile(folder), "problem: The settings file " + folder.Shown() + " cannot be read: "},
        // A problem says where the value came from, and nothing below is
        // tried; a place above decides before a bad value below is looked at.
        {"tolmer", badBelow,
         "problem: The server \"::1\" named by the environment variable TOLMER_SERVER cannot be used: "},
        {"tolmer --server 10.0.0.300", badBelow,
         "problem: The server \"10.0.0.300\" named by --server on the command line cannot be used: "},
        {"tolmer -l", badBelow, "localhost 17481"},
        {"tolmer", {"192.0.2.7", bad.path}, "192.0.2.7 17481"},
    };
    for (const auto& [commandLine, settings, chosen] : cases)  // a problem by its beginning
        EXPECT_EQ(Chosen(commandLine, settings).substr(0, chosen.size()), chosen) << commandLine;

    EXPECT_EQ(Choose("tolmer", {std::nullopt, bad.path}).problem,
              "The server \"ringing.example.org:70000\" named by the settings file " + bad.Shown() +
                  " cannot be used: the port must be a number from 1 to 65535.\n\n"
                  "Write the server as HOST or HOST:PORT (an IPv6 address as [ADDRESS]:PORT).");
}

TEST(ServerAddress, AHostNameOrAnAddressWithOrWithoutAPortAndWhatIsNotAServerIsRefusedWithItsReason) {
    // The host and port read, or a part of the problem's text when it is refused.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"ringing.example.org", "ringing.example.org 17481"},
        {"ringing.example.org.:4000", "ringing.example.org. 4000"},
        {"my-tower_1", "my-tower_1 17481"},
        {"192.0.2.7", "192.0.2.7 17481"},
        {"0.0.0.0:1", "0.0.0.0 1"},
        {"192.0.2.7:65535", "192.0.2.7 65535"},
        {"[::1]", "::1 17481"},
        {"[2001:db8::7]:4000", "2001:db8::7 4000"},
        {"[2001:DB8:0:0:0:0:0:7]:4000", "2001:DB8:0:0:0:0:0:7 4000"},
        {"[::ffff:192.0.2.7]:17481", "::ffff:192.0.2.7 17481"},
        {"[fe80::1%eth0]:4000", "fe80::1%eth0 4000"},
        {"", "it is empty"},
        {"ringing.example.org:0", "the port must be a number from 1 to 65535"},
        {"ringing.example.org:65536", "the port must be a number from 1 to 65535"},
        {"ringing.example.org:", "the port must be a number from 1 to 65535"},
        {"ringing.example.org:+40", "the port must be a number from 1 to 65535"},
        {"[::1]:99999999999", "the port must be a number from 1 to 65535"},
        {":4000", "the host before the port is missing"},
        {"2001:db8::7:4000", "an IPv6 address goes in brackets"},
        {"[::1:4000", "the \"]\" after the IPv6 address is missing"},
        {"[::1]4000", "only \":PORT\" may follow the \"]\""},
        {"[1::2::3]", "\"1::2::3\" in brackets is not an IPv6 address"},
        {"[1:2:3:4:5:6:7:8:9]", "is not an IPv6 address"},
        {"[12345::1]", "is not an IPv6 address"},
        {"[ringing.example.org]", "is not an IPv6 address"},
        {"256.0.0.1", "\"256.0.0.1\" is not an IPv4 address"},
        {"192.0.2", "is not an IPv4 address"},
        {"4000", "is not an IPv4 address"},
        {"192.168.010.1", "is not an IPv4 address"},
        {"ringing.example.org\n192.0.2.7", "it holds a blank or a line break"},
        {"-l", "\"-l\" is not a host name"},
        {"ringing..example.org", "is not a host name"},
        {"ringing.example.org/tower", "is not a host name"},
        {"t\xC3\xB6lmer.example", "is not a host name"},
        {std::string(64, 'a') + ".example", "is not a host name"},
    };
    for (const auto& [text, expected] : cases) {
        const ParsedServerAddress parsed = ParseServerAddress(text);
        const auto& address = parsed.address;
        const std::string read = address ? address->host + " " + std::to_string(address->port) : parsed.problem;
        EXPECT_TRUE(address ? read == expected : read.find(expected) != std::string::npos) << text << ": " << read;
    }
}

#ifndef _WIN32
TEST(ServerSettings, TheFileIsInTheUsersConfigurationFolder) {
    const auto pathWith = [](const char* config) {
        if (config) ::setenv("XDG_CONFIG_HOME", config, 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        return ThisUsersServerSettings().file.string();
    };
    const std::string home = std::getenv("HOME");
    EXPECT_EQ(pathWith("/srv/ann/config"), "/srv/ann/config/tolmer/server");
    EXPECT_EQ(pathWith("relative/config"), home + "/.config/tolmer/server");  // only an absolute one counts
    EXPECT_EQ(pathWith(nullptr), home + "/.config/tolmer/server");
}
#endif

}  // namespace
