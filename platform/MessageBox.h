// The program's failure reports: a modal box with the warning icon and one OK
// button, captioned with the application's name. Events keep flowing while
// it is open.
#pragma once

#include <functional>
#include <string>

namespace platform {

// The executable's file name without its extension.
void SetApplicationName(const std::string& programPath);
const std::string& ApplicationName();

int MessageBox(const std::string& text);

// Tests: every box goes to the hook instead, which sees its text and answers
// OK at once. An empty hook restores the real boxes.
void SetMessageBoxHook(std::function<void(const std::string& text)> hook);

}  // namespace platform
