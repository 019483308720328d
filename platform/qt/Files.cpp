#include "platform/Files.h"

#include <QStandardPaths>
#include <cstdlib>

namespace platform {

std::filesystem::path DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}

std::filesystem::path EnvironmentPath(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace platform
