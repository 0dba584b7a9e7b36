#pragma once
// Asks for a password on the controlling terminal without echoing it.

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The line typed, or none when there is no terminal or reading failed.
std::optional<std::string> PromptOnTerminal(std::string_view prompt);

}  // namespace vantor
