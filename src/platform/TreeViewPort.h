#pragma once
// What the tree's own text painting needs of the view that shows a tree control.

#include "platform/Geometry.h"
#include "platform/TreeControl.h"

namespace vantor {

class TreeViewPort {
  public:
    virtual ~TreeViewPort() = default;
    virtual Rect ClientRect() const = 0;
    // The text part of a shown line (where the control's own item text would go).
    virtual Rect ItemTextRect(HTREEITEM item) const = 0;
    virtual bool HasFocus() const = 0;
};

}  // namespace vantor
