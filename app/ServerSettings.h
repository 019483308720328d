// Where a ringer names their server once, outside the command line: the
// environment variable TOLMER_SERVER, and a settings file of one line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

inline constexpr const char* kServerVariable = "TOLMER_SERVER";

struct ServerSettings {
    std::optional<std::string> variable;  // TOLMER_SERVER, when it is set
    std::filesystem::path file;           // the settings file; empty when there is no place for one
};

// From this process's environment. The file is $XDG_CONFIG_HOME/tolmer/server
// (when that is an absolute path), else $HOME/.config/tolmer/server; on
// Windows %APPDATA%\Tolmer\server.
ServerSettings ThisUsersServerSettings();

struct SettingsFileText {
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    std::string text;   // Read: the bytes as they are
    std::string error;  // Unreadable: the system's reason
};

// A file that is not there (nor the folder it would be in) is Missing, not
// an error; one that is there but cannot be read is Unreadable.
SettingsFileText ReadSettingsFile(const std::filesystem::path& path);
