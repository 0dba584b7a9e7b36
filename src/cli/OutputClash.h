#pragma once
// Output files that would destroy what the counter reads or writes: an output that is the LDIF
// export being counted (by any name, a link included), or -o and --pdf naming one file.

#include <optional>
#include <string>

#include "cli/Options.h"

namespace vantor {

// What is wrong, in words, or none. ldifPath is the export's path; "-" is standard input.
std::optional<std::string> OutputClash(const std::optional<std::string>& ldifPath,
                                       const CliOptions& options);

}  // namespace vantor
