// Process services: the command line as one text, and the process priority.
#pragma once

#include <string>

namespace platform {

// The program path and its arguments joined by blanks, as the system reports
// them; the Application sets it at start-up.
void SetCommandLine(int argc, char** argv);
void SetCommandLine(const std::string& line);
const std::string& GetCommandLine();

// Asks the system to run this process ahead of others; a refusal is ignored.
void RaiseProcessPriority();

}  // namespace platform
