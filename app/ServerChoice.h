// The server a run uses, chosen by a switch anywhere in the command line.
#pragma once

#include <cstdint>
#include <string>

struct ServerNames {
    std::string main;            // no switch
    std::string test;            // " -t"
    std::string privateAddress;  // " -d": a dotted IPv4 address
};

// The switches are plain text with the blank before the dash, searched
// case-sensitively in this order: " -l", " -t", " -d"; the first found wins.
std::string ChooseServer(const std::string& commandLine, const ServerNames& names);

// The port every server choice uses: 17481, unless the environment variable
// TOLMER_PORT holds another port number (1 to 65535, digits only), as a test
// or a trial server on one machine needs. Any other value is ignored.
std::uint16_t ChooseServerPort(const char* portVariable);
