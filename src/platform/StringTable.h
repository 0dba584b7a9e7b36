#pragma once
// The program's string table.

#include <string>

namespace vantor {

// The text of a string resource, or "" for an id the table does not hold.
std::string LoadString(int id);

}  // namespace vantor
