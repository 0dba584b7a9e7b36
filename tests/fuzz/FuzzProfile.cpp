// Any profile or class name is either known or not; known ones answer consistently.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "directory/profile/ClassProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    if (const vantor::ClassProfile* profile = vantor::FindProfile(name)) {
        if (!vantor::EqualsIgnoreCase(profile->name, name)) {
            __builtin_trap();
        }
    }
    if (auto kind = vantor::ClassProfile::KindOfClassName(name)) {
        if (!vantor::EqualsIgnoreCase(vantor::kKindClassNames.at(*kind), name)) {
            __builtin_trap();
        }
    }
    return 0;
}
