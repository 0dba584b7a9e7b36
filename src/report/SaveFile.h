#pragma once
// The one file writer: every file the programs write (Save, -o, --pdf, a printed PDF) goes
// through it. The counter often runs as root, so it never opens a name that someone else could
// have planted, and an existing file is replaced only by a complete new one.

#include <optional>
#include <string>

namespace vantor {

// Writes content to path. A regular file (or none yet) is replaced by a complete new one: an
// exclusive temporary file with a random name in the same folder, written, flushed to the disk,
// given the old file's owner and permissions, and renamed over it. A symbolic link is written
// through (its target is replaced, the link stays); a device or FIFO is written into directly.
// On failure the previous file is untouched, nothing is left behind, and the result is a
// message naming the file and the cause.
std::optional<std::string> SaveFileReplacing(const std::string& path, const std::string& content);

}  // namespace vantor
