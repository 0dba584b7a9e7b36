#pragma once
// What whole-subtree reads learnt: each container's children as the server listed them and, per
// object filter, how many objects each container holds directly. A listing or a count found
// here needs no request; memory holds the containers and their counts, never the objects.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/dn/Dn.h"
#include "directory/ldap/PageSinks.h"

namespace vantor {

class SubtreeCache {
  public:
    // Files a read of base's subtree: its containers (base among them or not) in the server's
    // order, and the objects matching filter by their parent's DN. A referral is a child of its
    // parent, but what lies below it was not read. An entry of no container class is looked
    // through: containers and objects below it belong to the nearest container above it.
    // Containers already known keep what an earlier read said.
    void Add(const Dn& base, const std::string& filter, const std::vector<ListedChild>& containers,
             const CountsByText& objectsByParent);
    // The children of a container that a read covered, or null.
    const std::vector<ListedChild>* Children(const Dn& container) const;
    // The objects matching filter directly under a container that a read for filter covered.
    std::optional<std::uint32_t> Count(const std::string& filter, const Dn& container) const;

  private:
    std::unordered_map<std::string, std::vector<ListedChild>> children_;  // by DN key
    // filter -> DN key -> objects
    std::unordered_map<std::string, std::unordered_map<std::string, std::uint32_t>> counts_;
};

}  // namespace vantor
