#include "platform/qt/TreeRowLayout.h"

#include <QFontMetrics>
#include <algorithm>

namespace vantor {

namespace {

constexpr int kButtonSize = 9;
constexpr int kRowPadding = 3;

}  // namespace

int TreeRowLayout::TextLeft(int level) const {
    return ImageLeft(level) + (imageWidth > 0 ? imageWidth + kImageGap : 0);
}

QRect TreeRowLayout::ButtonRect(int level, int top) const {
    // Odd-sized, so that the box has a centre pixel for the plus and minus; never wider than
    // the indent column.
    int size = std::min(kButtonSize, indent);
    if (size % 2 == 0) {
        --size;
    }
    size = std::max(size, 1);
    const int half = size / 2;
    const int centerY = top + rowHeight / 2;
    return {ColumnCenter(level) - half, centerY - half, size, size};
}

TreeRowLayout::Part TreeRowLayout::HitPart(int x, int level, bool hasChildren,
                                           int textRight) const {
    if (hasChildren && x >= ColumnLeft(level) && x < ColumnLeft(level + 1)) {
        return Part::kButton;
    }
    if (x >= ImageLeft(level) && x < textRight) {
        return Part::kItem;
    }
    return Part::kNone;
}

int TreeRowHeight(const QFontMetrics& metrics, int imageHeight) {
    const int height = std::max(metrics.height(), imageHeight) + kRowPadding;
    return height + height % 2;
}

}  // namespace vantor
