#include "app/ServerSettings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// More than any server address: the rest of a larger file is not read.
constexpr std::size_t kMostRead = 4096;

std::FILE* OpenForReading(const std::filesystem::path& path) {
#ifdef _WIN32
    return ::_wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

std::filesystem::path SettingsFolder() {
#ifdef _WIN32
    const wchar_t* appData = ::_wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == L'\0') return {};
    return std::filesystem::path(appData) / L"Tolmer";
#else
    // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::filesystem::path(config) / "tolmer";
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    return std::filesystem::path(home) / ".config" / "tolmer";
#endif
}

}  // namespace

ServerSettings ThisUsersServerSettings() {
    ServerSettings settings;
    if (const char* value = std::getenv(kServerVariable)) settings.variable = value;
    if (const std::filesystem::path folder = SettingsFolder(); !folder.empty()) settings.file = folder / "server";
    return settings;
}

SettingsFileText ReadSettingsFile(const std::filesystem::path& path) {
    const auto unreadable = [](int error) {
        return SettingsFileText{SettingsFileText::State::Unreadable, {}, std::strerror(error)};
    };
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenForReading(path), std::fclose);
    if (!file) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        return unreadable(errno);
    }
    std::string text(kMostRead, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    // A folder opens on some systems and fails only when read.
    if (std::ferror(file.get())) return unreadable(errno);
    return {SettingsFileText::State::Read, std::move(text), {}};
}
