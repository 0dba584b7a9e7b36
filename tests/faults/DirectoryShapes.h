#pragma once
// Directories at the limits of their shape, built in memory: the deepest chain of containers
// that full names of at most 256 characters allow, and one container with a great many
// containers directly under it. Each container holds one user; the top container of each is a
// partition root.

#include <string>

#include "directory/memory/MemoryDirectory.h"

namespace vantor::test {

// One-letter names "a", so the container at level n is "a.a...a" (2n - 1 characters): level
// 128 is the deepest whose full name fits in 256 characters.
inline constexpr int kDeepestLevel = 128;

// The full name of the chain's container at level (1 for the top).
std::string ChainName(int level);

// The chain from level 1 down to kDeepestLevel + 1: the last container's full name is 257
// characters long, one too many.
void BuildDeepChain(MemoryDirectory& dir);

// count containers "c000000", "c000001", ... directly under the top container "acme".
void BuildSiblings(MemoryDirectory& dir, int count);
std::string SiblingName(int index);

}  // namespace vantor::test
