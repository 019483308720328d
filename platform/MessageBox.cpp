#include "platform/MessageBox.h"

#include "platform/Backend.h"
#include "platform/DialogTemplate.h"

namespace platform {

namespace {
std::string& AppName() {
    static std::string name = "tolmer";
    return name;
}
std::function<void(const std::string&)>& Hook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}
}  // namespace

void SetApplicationName(const std::string& programPath) {
    std::string name = programPath.substr(programPath.find_last_of("/\\") + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.erase(dot);
    if (!name.empty()) AppName() = name;
}

const std::string& ApplicationName() { return AppName(); }

int MessageBox(const std::string& text) {
    if (Hook()) {
        Hook()(text);
        return IDOK;
    }
    ShowWarningBox(AppName(), text);
    return IDOK;
}

void SetMessageBoxHook(std::function<void(const std::string& text)> hook) { Hook() = std::move(hook); }

}  // namespace platform
