#pragma once
// Totals over parts of the result tree, summed from the item data whenever they are needed,
// and the preorder walk that Save and Print run over the whole tree.

#include <cstdint>
#include <functional>

#include "platform/TreeControl.h"

namespace vantor {

class CTreeWalk {
  public:
    explicit CTreeWalk(const TreeControl& tree) : m_walkTree(tree) {}

    // The item's data plus that of every item below it.
    std::int32_t BranchTotal(HTREEITEM item) const;
    // The walk's next item after an item whose children are not visited: its next sibling,
    // else that of the nearest ancestor that has one (m_depth drops by one per level climbed);
    // 0 after the last item.
    HTREEITEM NextItem(HTREEITEM item);
    // Visits every item in preorder with m_depth at its level. visit returns false to stop;
    // m_depth is then put back to where it started.
    bool Walk(const std::function<bool(HTREEITEM item)>& visit);

    std::int32_t m_depth = 0;

  private:
    const TreeControl& m_walkTree;
};

}  // namespace vantor
