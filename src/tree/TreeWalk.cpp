#include "tree/TreeWalk.h"

namespace vantor {

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
