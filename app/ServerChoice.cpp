#include "app/ServerChoice.h"

std::string ChooseServer(const std::string& commandLine, const ServerNames& names) {
    if (commandLine.find(" -l") != std::string::npos) return "localhost";
    if (commandLine.find(" -t") != std::string::npos) return names.test;
    if (commandLine.find(" -d") != std::string::npos) return names.privateAddress;
    return names.main;
}
