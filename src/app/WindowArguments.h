#pragma once
// The window program's command line: the directory options of vantor-count and its --filter,
// or one LDIF export named on its own (vantor export.ldif), as a file manager's "Open with"
// passes it.

#include <string>
#include <vector>

#include "directory/source/DirectorySource.h"

namespace vantor {

// The directory the window starts with; error names the argument at fault.
DirectoryArguments TakeWindowArguments(const std::vector<std::string>& arguments);

}  // namespace vantor
