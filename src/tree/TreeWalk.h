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
    std::int32_t BranchTotal(HTREEITEM item) const {
        return BranchSum(item, [this](HTREEITEM line) { return m_walkTree.Data(line); });
    }
    // The same sum of another value that valueOf gives per item.
    template <class ValueOf>
    std::int32_t BranchSum(HTREEITEM item, const ValueOf& valueOf) const {
        // Sums in unsigned arithmetic so an absurd total wraps instead of overflowing.
        auto value = static_cast<std::uint32_t>(valueOf(item));
        if (!m_walkTree.HasChildren(item)) {
            return static_cast<std::int32_t>(value);
        }
        for (HTREEITEM child = m_walkTree.Next(item, TVGN_CHILD); child != 0;
             child = m_walkTree.Next(child, TVGN_NEXT)) {
            value += static_cast<std::uint32_t>(BranchSum(child, valueOf));
        }
        return static_cast<std::int32_t>(value);
    }
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
