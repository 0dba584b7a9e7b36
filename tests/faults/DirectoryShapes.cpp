#include "faults/DirectoryShapes.h"

#include <cstdio>

namespace vantor::test {

std::string ChainName(int level) {
    std::string name = "a";
    for (int i = 1; i < level; ++i) {
        name += ".a";
    }
    return name;
}

void BuildDeepChain(MemoryDirectory& dir) {
    MemoryDirectory::EntryId parent = MemoryDirectory::kRoot;
    for (int level = 1; level <= kDeepestLevel + 1; ++level) {
        parent = dir.AddContainer(parent, "a");
        dir.AddObjects(parent, "User", 1);
        if (level == 1) {
            dir.MarkPartitionRoot(parent);
        }
    }
}

std::string SiblingName(int index) {
    char name[16];
    std::snprintf(name, sizeof name, "c%06d", index);
    return name;
}

void BuildSiblings(MemoryDirectory& dir, int count) {
    const MemoryDirectory::EntryId acme = dir.AddContainer(MemoryDirectory::kRoot, "acme");
    dir.MarkPartitionRoot(acme);
    for (int i = 0; i < count; ++i) {
        dir.AddObjects(dir.AddContainer(acme, SiblingName(i)), "User", 1);
    }
}

}  // namespace vantor::test
