// Process services: the command line as one text, and the process priority.
#pragma once

#include <string>

namespace platform {

// The program path and its arguments joined by blanks, as the system reports them.
void SetCommandLine(int argc, char** argv);
const std::string& GetCommandLine();

// Asks the system to run this process ahead of others; a refusal is ignored.
void RaiseProcessPriority();

}  // namespace platform
