#pragma once
// The searches and listings in progress, by the iteration handle the engine holds between
// batches. A search keeps its paged-results cookie; a listing keeps the containers it has still
// to hand out (see LdapSession for why listings are read whole).

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "directory/ldap/LdapBuffers.h"
#include "directory/ldap/PagedSearch.h"

namespace vantor {

struct Iteration {
    std::unique_ptr<PagedSearch> search;  // set for a search
    std::vector<BatchEntry> listed;       // a listing's containers
    std::size_t handedOut = 0;            // how many of them went out in earlier batches
    // A listing cut short by a failure: reported once its containers have all gone out.
    int failure = 0;
    std::string failureCause;
};

class IterationTable {
  public:
    // Stores the iteration under a new handle, zero or positive, not in use.
    std::int32_t Add(std::unique_ptr<Iteration> iteration);
    // Null for a handle not in use.
    Iteration* Find(std::int32_t handle) const;
    // Frees the iteration; false when the handle was not in use.
    bool Remove(std::int32_t handle);
    std::size_t Size() const { return iterations_.size(); }

  private:
    std::map<std::int32_t, std::unique_ptr<Iteration>> iterations_;
    std::int32_t next_ = 0;
};

}  // namespace vantor
