#pragma once
// An LDIF content file (an export by slapcat or ldapsearch) loaded as a directory to count: its
// containers and counts in an ExportTree (how entries become the tree is described there),
// answered through the stored directory's calls.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "directory/ldif/ExportTree.h"
#include "directory/ldif/LdifReader.h"
#include "directory/profile/ClassProfile.h"
#include "directory/stored/StoredDirectory.h"

namespace vantor {

class LdifDirectory : public StoredDirectory {
  public:
    // source names the file in descriptions and causes.
    LdifDirectory(ExportTree tree, std::string source);

    std::size_t ContainerCount() const { return tree_.ContainerCount(); }
    const std::vector<ClassTally>& Uncounted() const { return tree_.Uncounted(); }
    std::string Description() const override { return source_; }
    // An export's names are as long as its DNs make them.
    std::optional<std::size_t> NameLimit() const override { return std::nullopt; }

  protected:
    std::optional<EntryId> FindContainer(std::string_view fullName,
                                         std::string& whyNot) const override;
    std::size_t ListedCount(EntryId container) const override;
    Listed ListedAt(EntryId container, std::size_t index) const override;
    std::optional<std::uint32_t> ClassOf(std::string_view className) const override;
    std::uint32_t ObjectCount(EntryId container, std::uint32_t classId) const override;
    EntryId PartitionRootOf(EntryId container) const override;
    std::string FullNameOf(EntryId container) const override;
    std::string DnOf(EntryId container) const override;
    std::optional<std::pair<int, std::string>> SearchRefusal(EntryId container) const override;

  private:
    ExportTree tree_;
    std::string source_;
};

struct LdifLoadResult {
    std::unique_ptr<LdifDirectory> directory;  // null when the load was refused or cancelled
    std::string error;  // why, naming the source and, where one is at fault, the line:
                        // "acme.ldif:12: missing dn"
    bool cancelled = false;
    explicit operator bool() const { return directory != nullptr; }
};

// What a path names in descriptions and messages: the path, or "standard input" for "-".
std::string LdifSourceName(const std::string& path);

// Reads the file at path, or standard input for "-".
// A file that cannot be read, a malformed record, a change record, a DN that libldap refuses,
// a container that occurs twice, a file without entries (see ReadLdifEntries for the rest) are
// refused as a whole: nothing is loaded from part of a file. keepGoing sees the progress and may
// cancel. With a filter, only the entries it matches count as objects.
LdifLoadResult LoadLdifFile(const std::string& path, const ClassProfile& profile = GenericProfile(),
                            const LdifProgressCheck& keepGoing = {},
                            const ObjectFilter* filter = nullptr);

// The same for LDIF text held in memory; sourceName stands for the file in the description
// and in errors.
LdifLoadResult LoadLdifText(std::string_view text, std::string_view sourceName,
                            const ClassProfile& profile = GenericProfile(),
                            const LdifProgressCheck& keepGoing = {},
                            const ObjectFilter* filter = nullptr);

}  // namespace vantor
