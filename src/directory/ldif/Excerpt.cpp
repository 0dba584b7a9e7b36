#include "directory/ldif/Excerpt.h"

#include <algorithm>

namespace vantor {

std::string Excerpt(std::string_view text, std::size_t limit) {
    std::string out(text.substr(0, limit));
    std::replace_if(
        out.begin(), out.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, '?');
    return text.size() > out.size() ? out + "..." : out;
}

}  // namespace vantor
