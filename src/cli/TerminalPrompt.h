#pragma once
// Asks for a password on the controlling terminal without echoing it, or reads it from standard
// input when there is no controlling terminal.

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The line typed (or read), or none when nothing came or reading failed.
std::optional<std::string> PromptOnTerminal(std::string_view prompt);

}  // namespace vantor
