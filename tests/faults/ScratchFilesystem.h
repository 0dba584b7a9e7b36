#pragma once
// A small filesystem of its own for a test step that needs a disk to fill up or to turn
// read-only: the step runs in a child process, in a private mount namespace, on a fresh tmpfs
// mounted at a temporary folder. Nothing outside the child ever sees the mount.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vantor::test {

struct ScratchOutcome {
    std::string unavailable;           // why no scratch filesystem could be made ("" if it ran)
    std::vector<std::string> results;  // what the step returned
};

// Runs step(folder) in the child, with a tmpfs of `bytes` bytes at folder. The step's result
// comes back whole; a step that crashes or runs over 20 s gives unavailable.
ScratchOutcome InScratchFilesystem(
    std::size_t bytes, const std::function<std::vector<std::string>(const std::string&)>& step);

// Inside a step: makes the scratch filesystem read-only. False when the remount failed.
bool RemountReadOnly(const std::string& folder);

// Inside a step: fills the filesystem up with a file named name, leaving `spare` bytes or less.
void FillUp(const std::string& folder, const std::string& name, std::size_t spare);

}  // namespace vantor::test
