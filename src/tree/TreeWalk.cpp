#include "tree/TreeWalk.h"

namespace vantor {

std::int32_t CTreeWalk::BranchTotal(HTREEITEM item) const {
    // Sums in unsigned arithmetic so an absurd total wraps instead of overflowing.
    auto value = static_cast<std::uint32_t>(m_walkTree.Data(item));
    if (!m_walkTree.HasChildren(item)) {
        return static_cast<std::int32_t>(value);
    }
    for (HTREEITEM child = m_walkTree.Next(item, TVGN_CHILD); child != 0;
         child = m_walkTree.Next(child, TVGN_NEXT)) {
        value += static_cast<std::uint32_t>(BranchTotal(child));
    }
    return static_cast<std::int32_t>(value);
}

HTREEITEM CTreeWalk::NextItem(HTREEITEM item) {
    while (true) {
        if (const HTREEITEM next = m_walkTree.Next(item, TVGN_NEXT); next != 0) {
            return next;
        }
        const HTREEITEM parent = m_walkTree.Next(item, TVGN_PARENT);
        if (parent == 0) {
            return 0;
        }
        --m_depth;
        item = parent;
    }
}

bool CTreeWalk::Walk(const std::function<bool(HTREEITEM item)>& visit) {
    const std::int32_t start = m_depth;
    HTREEITEM item = m_walkTree.Next(0, TVGN_ROOT);
    while (item != 0) {
        if (!visit(item)) {
            m_depth = start;
            return false;
        }
        if (m_walkTree.HasChildren(item)) {
            ++m_depth;
            item = m_walkTree.Next(item, TVGN_CHILD);
        } else {
            item = NextItem(item);
        }
    }
    return true;
}

}  // namespace vantor
