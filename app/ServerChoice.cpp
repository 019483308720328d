#include "app/ServerChoice.h"

#include "net/Wire.h"

std::string ChooseServer(const std::string& commandLine, const ServerNames& names) {
    if (commandLine.find(" -l") != std::string::npos) return "localhost";
    if (commandLine.find(" -t") != std::string::npos) return names.test;
    if (commandLine.find(" -d") != std::string::npos) return names.privateAddress;
    return names.main;
}

std::uint16_t ChooseServerPort(const char* portVariable) {
    if (portVariable == nullptr || *portVariable == '\0') return wire::kServerPort;
    unsigned long port = 0;
    for (const char* c = portVariable; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return wire::kServerPort;
        port = port * 10 + static_cast<unsigned long>(*c - '0');
        if (port > 65535) return wire::kServerPort;
    }
    return port == 0 ? wire::kServerPort : static_cast<std::uint16_t>(port);
}
