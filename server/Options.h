// The server's command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/Wire.h"

namespace server {

struct Options {
    std::string bind = "0.0.0.0";
    std::uint16_t port = wire::kServerPort;  // 0: any free port
    int maxConnections = 4000;
    int maxTowers = 1000;
    int maxRingers = 32;           // per tower
    int outputCapKib = 1024;       // unsent bytes a connection may hold before it is dropped
    int helloTimeoutSeconds = 30;  // a connection must say Hello within this time
    int joinTimeoutSeconds = 600;  // and be in a tower this long after its Hello
    int maxPerAddress = 32;        // connections from one IP address; 0: no limit
    int chatRate = 5;              // chat lines and calls a second per connection; 0: no limit
    int chatBurst = 20;            // ... of which this many may come at once
    int strikeRate = 100;          // strikes a second per connection; 0: no limit
    int strikeBurst = 200;
    int balanceMaxMs = 150;  // latency balancing evens out round trips up to this; 0: off
    int balanceDriftMs = 2;  // ... changing a ringer's hold by at most this much a second
    bool quiet = false;
};

struct CommandLine {
    enum class Action { Serve, ShowHelp, ShowVersion, Fail };
    Action action = Action::Serve;
    Options options;
    std::string error;  // for Fail: what was wrong
};

// Reads the arguments after the program name. Flags take their value as the
// next argument or after "=" (--port 17481, --port=17481).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints.
std::string UsageText();

}  // namespace server
