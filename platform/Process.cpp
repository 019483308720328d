#include "platform/Process.h"

namespace platform {

namespace {
std::string& CommandLine() {
    static std::string line;
    return line;
}
}  // namespace

void SetCommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) line += ' ';
        line += argv[i];
    }
    CommandLine() = line;
}

void SetCommandLine(const std::string& line) { CommandLine() = line; }

const std::string& GetCommandLine() { return CommandLine(); }

}  // namespace platform
