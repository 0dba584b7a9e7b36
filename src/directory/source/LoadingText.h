#pragma once
// What both programs say about loading an export: how far the load has come, and which classes
// its entries had that no rule counted.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "directory/ldif/LdifDirectory.h"

namespace vantor {

// A number with its thousands grouped: "1,200".
std::string GroupedNumber(std::uint64_t number);

// "1,234,567 entries read (45%)"; the share only when the size is known.
std::string LoadingText(const LdifProgress& progress);

// The percentage read, 0 to 100, when the size is known.
std::optional<int> LoadedPercent(const LdifProgress& progress);

// "not counted as any kind: OpenLDAPperson 10, posixAccount 1,200", or "" when every class was
// counted.
std::string NotCountedText(const std::vector<ClassTally>& notCounted);

}  // namespace vantor
