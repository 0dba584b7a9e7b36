#pragma once
// Full names as the engine composes them: typeless, dot-separated, own name first, relative to
// the tree root "[Root]".

#include <string>
#include <string_view>

namespace vantor {

// The full name of the tree root, compared without regard to case.
inline constexpr std::string_view kRootName = "[Root]";

// True for "[Root]" in any case.
bool IsRootName(std::string_view name);

// The full name of a container listed under base: its own name alone directly under the tree
// root, else its name, a dot and base.
std::string ComposeFullName(std::string_view base, std::string_view listedName);

}  // namespace vantor
