#include "directory/ldif/NameArena.h"

#include <algorithm>
#include <cstring>

namespace vantor {

std::string_view NameArena::Store(std::string_view text) {
    if (text.empty()) {
        return {};  // its data may be null, which memcpy must not see
    }
    if (chunks_.empty() || size_ - used_ < text.size()) {
        size_ = std::max(chunkBytes_, text.size());
        chunks_.push_back(std::make_unique<char[]>(size_));
        used_ = 0;
    }
    char* at = chunks_.back().get() + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size();
    bytes_ += text.size();
    return {at, text.size()};
}

}  // namespace vantor
