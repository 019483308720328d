// Where the user keeps files, as the system names it.
#pragma once

#include <filesystem>

namespace platform {

// The user's documents folder: on Windows "Documents" in the user's profile,
// on Linux the one the desktop names (XDG), else the home folder.
std::filesystem::path DocumentsFolder();
// The environment variable as a path; empty when it is not set.
std::filesystem::path EnvironmentPath(const char* name);

}  // namespace platform
