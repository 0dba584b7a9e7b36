#include "support/RecordingViewPort.h"

namespace vantor::test {

Rect RecordingViewPort::ItemTextRect(HTREEITEM item) const {
    asked.push_back(item);
    const auto row =
        static_cast<int>(tree_.RowOf(item)) - static_cast<int>(tree_.FirstVisibleRow());
    Rect rect;
    rect.left = client.left + indent_ * (tree_.Level(item) + 1) - scrollX;
    rect.top = client.top + row * rowHeight_;
    rect.right = rect.left + static_cast<int>(tree_.ControlText(item).size()) * charWidth_;
    rect.bottom = rect.top + rowHeight_;
    return rect;
}

}  // namespace vantor::test
