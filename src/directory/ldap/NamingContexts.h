#pragma once
// The naming contexts a server publishes in its root DSE: the tops of its tree, and the
// sub-suffixes (glued or separate databases) that start a partition of their own below them.

#include <string>
#include <vector>

#include "directory/dn/Dn.h"

namespace vantor {

class NamingContexts {
  public:
    // Values that are not DNs are left out.
    explicit NamingContexts(const std::vector<std::string>& published);

    bool Empty() const { return contexts_.empty(); }
    bool Contains(const Dn& dn) const;
    // The contexts that lie under no other one, in the server's order.
    std::vector<Dn> Tops() const;
    // The contexts below parent, at any depth.
    std::vector<Dn> Under(const Dn& parent) const;

  private:
    std::vector<Dn> contexts_;
};

}  // namespace vantor
