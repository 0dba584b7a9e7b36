#include "engine/FullName.h"

#include <algorithm>
#include <cctype>

namespace vantor {

bool IsRootName(std::string_view name) {
    return std::equal(name.begin(), name.end(), kRootName.begin(), kRootName.end(),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

std::string ComposeFullName(std::string_view base, std::string_view listedName) {
    std::string name(listedName);
    if (!IsRootName(base)) {
        name += '.';
        name += base;
    }
    return name;
}

}  // namespace vantor
