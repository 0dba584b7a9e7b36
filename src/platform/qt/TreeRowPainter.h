#pragma once
// Paints what the tree control shows of a line by itself: the dotted connecting lines, the
// expand button, the image and the control's own item text.

#include <QPalette>
#include <QPixmap>
#include <QPolygon>
#include <vector>

#include "platform/TreeControl.h"
#include "platform/qt/TreeRowLayout.h"

class QPainter;

namespace vantor {

class TreeRowPainter {
  public:
    // Everything is borrowed for the painter's life; scrollX is the horizontal scroll offset.
    TreeRowPainter(QPainter& painter, const TreeRowLayout& layout, const QPalette& palette,
                   const std::vector<QPixmap>& images, int scrollX);

    // Paints item's line with its top at top.
    void Paint(const TreeControl& tree, HTREEITEM item, int top);

  private:
    void AddVertical(int x, int fromY, int toY);
    void AddHorizontal(int fromX, int toX, int y);
    void PaintButton(const QRect& box, bool expanded);

    QPainter& painter_;
    const TreeRowLayout& layout_;
    const QPalette& palette_;
    const std::vector<QPixmap>& images_;
    int scrollX_;
    QPolygon dots_;
};

}  // namespace vantor
