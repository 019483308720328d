// The server a run uses. In this order, the first that names one decides and
// the rest are not looked at:
//   1. --server HOST[:PORT] on the command line;
//   2. a switch on the command line: -l, -t or -d;
//   3. the environment variable TOLMER_SERVER, HOST[:PORT];
//   4. the settings file, one line HOST[:PORT] (see ServerSettings.h);
//   5. the main server built in.
// A switch and the main server use port 17481. An empty TOLMER_SERVER or an
// empty settings file names no server. A value that is not a server, or a
// settings file that cannot be read, stops the choice: nothing is guessed.
#pragma once

#include <optional>
#include <string>

#include "app/ServerAddress.h"
#include "app/ServerSettings.h"

// The servers built in (CMake cache variables), so a community can point its
// build at its own server.
struct ServerNames {
    std::string main;            // no switch
    std::string test;            // " -t"
    std::string privateAddress;  // " -d": a dotted IPv4 address
};

// The host one switch letter chooses: 'l' this machine, 't' the test server,
// 'd' the private address; any other letter the main server.
std::string ServerForSwitch(char letter, const ServerNames& names);

// What the command line asks for.
struct ServerRequest {
    std::optional<std::string> given;     // after --server, unchecked; "" when nothing follows it
    std::optional<std::string> switched;  // the host that the first switch found chooses
};

// The command line is one text, program path included. The switches are
// plain text with the blank before the dash, searched case-sensitively in
// this order: " -l", " -t", " -d"; the first found wins. " --server" is
// plain text too, its value after "=" or blanks, up to the next blank, a
// pair of double quotes around it taken off.
ServerRequest ReadServerRequest(const std::string& commandLine, const ServerNames& names);

struct ServerChoice {
    std::optional<ServerAddress> address;
    std::string problem;  // without an address: what is wrong and where it was found, for the user
};

ServerChoice ChooseServer(const ServerRequest& request, const std::string& mainServer, const ServerSettings& settings);
