#pragma once
// The four kinds of object the program counts, by index: 0 Users, 1 Servers, 2 Groups,
// 3 Partitions, with the directory class each one counts.

#include <array>
#include <cstdint>
#include <string_view>

namespace vantor {

inline constexpr std::array<std::string_view, 4> kKindClassNames = {"User", "NCP_Server", "Group",
                                                                    "Partition"};
// The kinds as a user names them on a command line or in a profile file.
inline constexpr std::array<std::string_view, 4> kKindWords = {"users", "servers", "groups",
                                                               "partitions"};

// The class name of a search that counts the four kinds at once: each reply then holds a count
// per kind (DirectoryClient::ReadKindCounts). No directory class can be spelt so.
inline constexpr std::string_view kEveryKindClassName = "[Every kind]";

// One count per kind, in kind order.
using KindCounts = std::array<std::uint32_t, kKindClassNames.size()>;

}  // namespace vantor
