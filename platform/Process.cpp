#include "platform/Process.h"

#include <sys/resource.h>

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

const std::string& GetCommandLine() { return CommandLine(); }

void RaiseProcessPriority() {
    // Strikes are timed to the millisecond; ask to be scheduled first. Without
    // the privilege the request fails and the process runs as it was.
    (void)setpriority(PRIO_PROCESS, 0, -10);
}

}  // namespace platform
