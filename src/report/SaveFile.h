#pragma once
// Writes a file so that an existing one is replaced only by a complete new one.

#include <optional>
#include <string>

namespace vantor {

// Writes content to a temporary file beside path, flushes it to disk and renames it over
// path. On failure the previous file is untouched and the result is a message naming the
// file and the cause.
std::optional<std::string> SaveFileReplacing(const std::string& path, const std::string& content);

}  // namespace vantor
