#pragma once
// An LDIF content file (an export by slapcat or ldapsearch) loaded as a directory to count: the
// in-memory directory built from its entries. How entries become containers, partition roots
// and objects is described in LdifTreeBuilder.h.

#include <memory>
#include <string>
#include <string_view>

#include "directory/memory/MemoryDirectory.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

struct LdifLoadResult {
    std::unique_ptr<MemoryDirectory> directory;  // null when the load was refused
    std::string error;                           // why, naming the source and, where one is at
                                                 // fault, the line: "acme.ldif:12: missing dn"
    explicit operator bool() const { return directory != nullptr; }
};

// Reads the file at path. Its description is the path. A file that cannot be read, a
// malformed record, a change record, a DN that libldap refuses or that occurs twice, and a file
// without entries are refused as a whole: nothing is loaded from part of a file.
LdifLoadResult LoadLdifFile(const std::string& path,
                            const ClassProfile& profile = GenericProfile());

// The same for LDIF text held in memory; sourceName stands for the file in the description
// and in errors.
LdifLoadResult LoadLdifText(std::string_view text, std::string_view sourceName,
                            const ClassProfile& profile = GenericProfile());

}  // namespace vantor
