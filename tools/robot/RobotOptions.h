// tolmer-robot's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ServerChoice.h"
#include "net/Wire.h"
#include "tools/robot/Method.h"

namespace robot {

struct RobotOptions {
    std::string host;
    std::uint16_t port = wire::kServerPort;
    std::string tower;
    std::string description;  // for a tower the robot starts
    std::string name = "Robot";
    // The method a plain Go rings: a library name, with or without its stage
    // (the tower's bells then choose it), or one built from place notation.
    std::string methodName = "Plain Bob";
    std::optional<Method> notationMethod;
    double intervalMs = 240;
};

struct RobotCommandLine {
    enum class Action { Ring, ShowHelp, Fail };
    Action action = Action::Ring;
    RobotOptions options;
    std::string error;  // for Fail: what was wrong
};

// Reads the arguments after the program name. Flags take their value as the
// next argument or after "=" (--port 17481, --port=17481). The server is
// chosen as the client chooses it (app/ServerChoice.h): --server HOST[:PORT],
// else the first of -l, -t, -d, else TOLMER_SERVER or the settings file,
// else the main server; --port then overrides its port.
RobotCommandLine ParseRobotCommandLine(const std::vector<std::string>& args, const ServerNames& servers,
                                       const ServerSettings& settings);

// The text --help prints.
std::string RobotUsage();

}  // namespace robot
