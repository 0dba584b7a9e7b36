#pragma once
// Where the parts of a tree line go, in pixels across the tree's content (before horizontal
// scrolling): one indent column per level holding the lines and the expand button (one more
// for the top level, as lines are drawn at the root), then the item's image, then its text.

#include <QRect>

class QFontMetrics;

namespace vantor {

struct TreeRowLayout {
    // Room between the image and the text rectangle, and inside the text rectangle on each
    // side of the text.
    static constexpr int kImageGap = 3;
    static constexpr int kTextMargin = 2;

    enum class Part { kNone, kButton, kItem };

    int indent = 19;
    int rowHeight = 16;
    int imageWidth = 0;  // 0: no image list
    int imageHeight = 0;

    int ColumnLeft(int level) const { return level * indent; }
    int ColumnCenter(int level) const { return ColumnLeft(level) + indent / 2; }
    int ImageLeft(int level) const { return ColumnLeft(level + 1); }
    int TextLeft(int level) const;
    int TextWidth(int textAdvance) const { return textAdvance + 2 * kTextMargin; }
    // The boxed expand button of a line whose top is at top.
    QRect ButtonRect(int level, int top) const;
    // What a point at x hits on a line: its button column (for items with children), or
    // its image and text rectangle up to textRight.
    Part HitPart(int x, int level, bool hasChildren, int textRight) const;
};

// A line tall enough for the font and the images, rounded up to an even height so the
// dotted lines of all rows keep one pattern.
int TreeRowHeight(const QFontMetrics& metrics, int imageHeight);

}  // namespace vantor
