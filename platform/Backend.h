// What each backend provides for the parts of the platform layer that are
// shared. Not for use above platform/.
#pragma once

#include <string>

namespace platform {

// Shows the warning box with one OK button, modal, until the user answers.
void ShowWarningBox(const std::string& caption, const std::string& text);

}  // namespace platform
