#pragma once
// Which entries start a partition: the top containers, the naming contexts the server
// publishes, entries of the profile's partition class, entries whose eDirectory entryFlags carry
// the partition-root bit (0x2), and entries whose Active Directory instanceType carries the
// naming-context-head bit (0x1). What is learnt about an entry is kept for the whole session.

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/dn/Dn.h"
#include "directory/ldap/EntryRead.h"
#include "directory/ldap/NamingContexts.h"
#include "directory/profile/ClassProfile.h"

namespace vantor {

// The attributes that MarksPartitionRoot reads.
const std::vector<std::string>& PartitionMarkerAttributes();
bool MarksPartitionRoot(const ClassProfile& profile, const Attributes& attributes);

class PartitionRoots {
  public:
    PartitionRoots(const ClassProfile& profile, const NamingContexts& contexts)
        : profile_(profile), contexts_(contexts) {}

    // Top containers and referred entries start a partition whatever they hold.
    void MarkRoot(const Dn& dn) { known_.insert_or_assign(dn.Key(), true); }
    // Decides from the entry's attributes (PartitionMarkerAttributes()).
    void Remember(const Dn& dn, const Attributes& attributes);
    // nullopt when the entry's attributes have to be read first.
    std::optional<bool> IsRoot(const Dn& dn) const;

  private:
    const ClassProfile& profile_;
    const NamingContexts& contexts_;
    std::unordered_map<std::string, bool> known_;
};

}  // namespace vantor
