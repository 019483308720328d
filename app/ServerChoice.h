// The server a run uses, chosen by a switch anywhere in the command line.
#pragma once

#include <string>

struct ServerNames {
    std::string main;            // no switch
    std::string test;            // " -t"
    std::string privateAddress;  // " -d": a dotted IPv4 address
};

// The switches are plain text with the blank before the dash, searched
// case-sensitively in this order: " -l", " -t", " -d"; the first found wins.
std::string ChooseServer(const std::string& commandLine, const ServerNames& names);
