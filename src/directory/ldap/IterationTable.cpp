#include "directory/ldap/IterationTable.h"

#include <limits>

namespace vantor {

std::int32_t IterationTable::Add(std::unique_ptr<Iteration> iteration) {
    while (iterations_.contains(next_)) {
        next_ = next_ == std::numeric_limits<std::int32_t>::max() ? 0 : next_ + 1;
    }
    const std::int32_t handle = next_;
    next_ = next_ == std::numeric_limits<std::int32_t>::max() ? 0 : next_ + 1;
    iterations_.emplace(handle, std::move(iteration));
    return handle;
}

Iteration* IterationTable::Find(std::int32_t handle) const {
    const auto it = iterations_.find(handle);
    return it == iterations_.end() ? nullptr : it->second.get();
}

bool IterationTable::Remove(std::int32_t handle) {
    return iterations_.erase(handle) > 0;
}

}  // namespace vantor
