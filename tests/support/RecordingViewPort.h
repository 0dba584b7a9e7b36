#pragma once
// A view of a tree control laid out in fixed rows: each shown line is rowHeight high, its
// text part starts one indent per level (plus one for buttons and images) from the left, less
// the horizontal scroll, and is as wide as the control's own item text in a fixed-pitch font.

#include <vector>

#include "platform/TreeViewPort.h"

namespace vantor::test {

class RecordingViewPort : public TreeViewPort {
  public:
    RecordingViewPort(const TreeControl& tree, Rect clientRect, int rowHeight = 16, int indent = 19,
                      int charWidth = 7)
        : client(clientRect),
          tree_(tree),
          rowHeight_(rowHeight),
          indent_(indent),
          charWidth_(charWidth) {}

    Rect ClientRect() const override { return client; }
    Rect ItemTextRect(HTREEITEM item) const override;
    bool HasFocus() const override { return focus; }

    Rect client;
    bool focus = false;
    int scrollX = 0;
    // Every line whose rectangle was asked for, in order.
    mutable std::vector<HTREEITEM> asked;

  private:
    const TreeControl& tree_;
    int rowHeight_;
    int indent_;
    int charWidth_;
};

}  // namespace vantor::test
