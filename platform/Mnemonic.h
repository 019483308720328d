// The character after "&" in a caption is its mnemonic: typing it clicks the
// control. Letters match in either case; "&&" is a literal ampersand.
#pragma once

#include <optional>
#include <string_view>

namespace platform {

std::optional<char> MnemonicOf(std::string_view caption);
bool MatchesMnemonic(std::string_view caption, char typed);

}  // namespace platform
