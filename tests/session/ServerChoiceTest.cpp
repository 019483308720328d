// Which server a run uses: the command line's switches and --server, then
// TOLMER_SERVER, then the settings file, then the main server; and the form
// HOST[:PORT] wherever it is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

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

TEST(ServerChoice, SwitchesArePlainCaseSensitiveTextAndLocalIsSearchedFirst) {
    EXPECT_EQ(Chosen("tolmer"), "main.example 17481");
    EXPECT_EQ(Chosen("tolmer -t"), "test.example 17481");
    EXPECT_EQ(Chosen("tolmer -d"), "10.0.0.1 17481");
    EXPECT_EQ(Chosen("tolmer -t -l"), "localhost 17481");
    EXPECT_EQ(Chosen("tolmer -lx"), "localhost 17481");
    EXPECT_EQ(Chosen("-l tolmer"), "main.example 17481");  // no blank before it
    EXPECT_EQ(Chosen("tolmer -L"), "main.example 17481");
}

TEST(ServerChoice, TheServerOptionTakesTheNextWordAfterBlanksOrAnEqualsSign) {
    EXPECT_EQ(Chosen("tolmer --server ringing.example.org"), "ringing.example.org 17481");
    EXPECT_EQ(Chosen("tolmer --server=192.0.2.7:4000 -t"), "192.0.2.7 4000");
    EXPECT_EQ(Chosen("tolmer.exe  --server  \"[2001:db8::7]:4000\""), "2001:db8::7 4000");
    EXPECT_EQ(Chosen("tolmer --servers x -d"), "10.0.0.1 17481");  // another option
    for (const char* nothing : {"tolmer --server", "tolmer --server   ", "tolmer --server= -l"})
        EXPECT_EQ(Chosen(nothing).find("problem: --server on the command line needs the server"), 0u) << nothing;
}

TEST(ServerAddress, AHostNameOrAnAddressWithOrWithoutAPort) {
    const std::vector<std::pair<std::string, ServerAddress>> good = {
        {"ringing.example.org", {"ringing.example.org", 17481}},
        {"ringing.example.org.:4000", {"ringing.example.org.", 4000}},
        {"my-tower_1", {"my-tower_1", 17481}},
        {"192.0.2.7", {"192.0.2.7", 17481}},
        {"0.0.0.0:1", {"0.0.0.0", 1}},
        {"192.0.2.7:65535", {"192.0.2.7", 65535}},
        {"[::1]", {"::1", 17481}},
        {"[2001:db8::7]:4000", {"2001:db8::7", 4000}},
        {"[2001:DB8:0:0:0:0:0:7]:4000", {"2001:DB8:0:0:0:0:0:7", 4000}},
        {"[::ffff:192.0.2.7]:17481", {"::ffff:192.0.2.7", 17481}},
        {"[fe80::1%eth0]:4000", {"fe80::1%eth0", 4000}},
    };
    for (const auto& [text, address] : good) {
        const ParsedServerAddress parsed = ParseServerAddress(text);
        ASSERT_TRUE(parsed.address) << text << ": " << parsed.problem;
        EXPECT_EQ(*parsed.address, address) << text;
    }
}

TEST(ServerAddress, WhatIsNotAServerIsRefusedWithItsReason) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"", "it is empty"},
        {"ringing.example.org:0", "the port must be a number from 1 to 65535"},
        {"ringing.example.org:65536", "the port must be a number from 1 to 65535"},
        {"ringing.example.org:", "the port must be a number from 1 to 65535"},
        {"ringing.example.org:+40", "the port must be a number from 1 to 65535"},
        {"[::1]:99999999999", "the port must be a number from 1 to 65535"},
        {":4000", "the host before the port is missing"},
        {"::1", "an IPv6 address goes in brackets"},
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
        {"ringing example.org", "it holds a blank or a line break"},
        {"ringing.example.org\n192.0.2.7", "it holds a blank or a line break"},
        {"-l", "\"-l\" is not a host name"},
        {"ringing..example.org", "is not a host name"},
        {"ringing.example.org/tower", "is not a host name"},
        {"t\xC3\xB6lmer.example", "is not a host name"},
        {std::string(64, 'a') + ".example", "is not a host name"},
    };
    for (const auto& [text, problem] : bad) {
        const ParsedServerAddress parsed = ParseServerAddress(text);
        EXPECT_FALSE(parsed.address) << text;
        EXPECT_NE(parsed.problem.find(problem), std::string::npos) << text << ": " << parsed.problem;
    }
}

TEST(ServerChoice, EachPlaceGivesWayToTheOneAboveItAndTheMainServerComesLast) {
    const SettingsFile file("from-file.example:4001\n");
    ServerSettings settings{"from-variable.example:4002", file.path};
    EXPECT_EQ(Chosen("tolmer --server given.example:4003 -t", settings), "given.example 4003");
    EXPECT_EQ(Chosen("tolmer -t", settings), "test.example 17481");
    EXPECT_EQ(Chosen("tolmer", settings), "from-variable.example 4002");
    settings.variable = "";  // set, but naming nothing
    EXPECT_EQ(Chosen("tolmer", settings), "from-file.example 4001");
    settings.variable.reset();
    EXPECT_EQ(Chosen("tolmer", settings), "from-file.example 4001");
    settings.file = file.path.string() + "-not-there";
    EXPECT_EQ(Chosen("tolmer", settings), "main.example 17481");
    settings.file = file.path / "under-a-file";
    EXPECT_EQ(Chosen("tolmer", settings), "main.example 17481");
    settings.file.clear();  // no place for one
    EXPECT_EQ(Chosen("tolmer", settings), "main.example 17481");
}

TEST(ServerChoice, TheSettingsFileIsOneLineAndBlanksAroundItDoNotCount) {
    const auto fromFile = [](const std::string& text) {
        return Chosen("tolmer", {std::nullopt, SettingsFile(text).path});
    };
    EXPECT_EQ(fromFile("ringing.example.org:4000   \n"), "ringing.example.org 4000");
    EXPECT_EQ(fromFile("\xEF\xBB\xBF  [2001:db8::7]:4000\r\n\r\n"), "2001:db8::7 4000");  // as Notepad may save it
    EXPECT_EQ(fromFile(""), "main.example 17481");
    EXPECT_EQ(fromFile(" \n\n"), "main.example 17481");
    EXPECT_NE(fromFile("ringing.example.org\nother.example.org\n").find("it holds a blank or a line break"),
              std::string::npos);
}

TEST(ServerChoice, AProblemSaysWhereTheValueCameFromAndNothingElseIsTried) {
    const SettingsFile file("ringing.example.org:70000\n");
    const ServerSettings settings{"::1", file.path};

    const ServerChoice fromFile = Choose("tolmer", {std::nullopt, file.path});
    EXPECT_FALSE(fromFile.address);
    EXPECT_EQ(fromFile.problem, "The server \"ringing.example.org:70000\" named by the settings file " + file.Shown() +
                                    " cannot be used: the port must be a number from 1 to 65535.\n\n"
                                    "Write the server as HOST or HOST:PORT (an IPv6 address as [ADDRESS]:PORT).");
    EXPECT_EQ(Choose("tolmer", settings)
                  .problem.find("The server \"::1\" named by the environment variable TOLMER_SERVER cannot be used: "),
              0u);
    EXPECT_EQ(Choose("tolmer --server 10.0.0.300", settings)
                  .problem.find("The server \"10.0.0.300\" named by --server on the command line cannot be used: "),
              0u);
    // A place above decides before a bad value below is looked at.
    EXPECT_EQ(Chosen("tolmer -l", settings), "localhost 17481");
    EXPECT_EQ(Chosen("tolmer", {"192.0.2.7", file.path}), "192.0.2.7 17481");

    // A folder where the file should be cannot be read as one.
    const SettingsFile folder("");
    std::filesystem::remove(folder.path);
    std::filesystem::create_directory(folder.path);
    const ServerChoice unreadable = Choose("tolmer", {std::nullopt, folder.path});
    EXPECT_FALSE(unreadable.address);
    EXPECT_EQ(unreadable.problem.find("The settings file " + folder.Shown() + " cannot be read: "), 0u)
        << unreadable.problem;
}

#ifndef _WIN32
TEST(ServerSettings, TheFileIsInTheUsersConfigurationFolder) {
    const auto pathWith = [](const char* config) {
        if (config) ::setenv("XDG_CONFIG_HOME", config, 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        return ThisUsersServerSettings().file.string();
    };
    const char* home = std::getenv("HOME");
    ASSERT_TRUE(home);
    EXPECT_EQ(pathWith("/srv/ann/config"), "/srv/ann/config/tolmer/server");
    EXPECT_EQ(pathWith("relative/config"), std::string(home) + "/.config/tolmer/server");
    EXPECT_EQ(pathWith(nullptr), std::string(home) + "/.config/tolmer/server");
}
#endif

}  // namespace
