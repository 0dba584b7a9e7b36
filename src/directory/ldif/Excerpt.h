#pragma once
// A piece of a file's text as a message can show it.

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor {

// Up to limit bytes of text, control characters replaced, "..." when there was more.
std::string Excerpt(std::string_view text, std::size_t limit = 40);

}  // namespace vantor
