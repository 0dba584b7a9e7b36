#include "platform/qt/TreeRowPainter.h"

#include <QPainter>
#include <string_view>

namespace vantor {

namespace {

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

TreeRowPainter::TreeRowPainter(QPainter& painter, const TreeRowLayout& layout,
                               const QPalette& palette, const std::vector<QPixmap>& images,
                               int scrollX)
    : painter_(painter), layout_(layout), palette_(palette), images_(images), scrollX_(scrollX) {}

// Dots sit on even content coordinates, so the pattern stays put when the view scrolls.
void TreeRowPainter::AddVertical(int x, int fromY, int toY) {
    for (int y = fromY + (fromY & 1); y < toY; y += 2) {
        dots_ << QPoint(x, y);
    }
}

void TreeRowPainter::AddHorizontal(int fromX, int toX, int y) {
    for (int x = fromX; x < toX; ++x) {
        if (((x + scrollX_) & 1) == 0) {
            dots_ << QPoint(x, y);
        }
    }
}

void TreeRowPainter::Paint(const TreeControl& tree, HTREEITEM item, int top) {
    const int level = tree.Level(item);
    const int bottom = top + layout_.rowHeight;
    const int middle = top + layout_.rowHeight / 2;
    auto column = [&](int l) { return layout_.ColumnCenter(l) - scrollX_; };

    dots_.clear();
    // Ancestors with siblings still to come carry their line through this row.
    int ancestorLevel = level - 1;
    for (HTREEITEM a = tree.Next(item, TVGN_PARENT); a != 0;
         a = tree.Next(a, TVGN_PARENT), --ancestorLevel) {
        if (tree.Next(a, TVGN_NEXT) != 0) {
            AddVertical(column(ancestorLevel), top, bottom);
        }
    }
    const int x = column(level);
    if (level > 0 || tree.Next(item, TVGN_PREVIOUS) != 0) {
        AddVertical(x, top, middle);
    }
    if (tree.Next(item, TVGN_NEXT) != 0) {
        AddVertical(x, middle, bottom);
    }
    AddHorizontal(x, layout_.ImageLeft(level) - scrollX_, middle);
    painter_.setPen(palette_.color(QPalette::Dark));
    painter_.drawPoints(dots_);

    if (tree.HasChildren(item)) {
        PaintButton(layout_.ButtonRect(level, top).translated(-scrollX_, 0), tree.IsExpanded(item));
    }

    const bool selected = tree.State(item, TVIS_SELECTED) != 0;
    const int image = selected ? tree.SelectedImage(item) : tree.Image(item);
    if (image >= 0 && static_cast<std::size_t>(image) < images_.size()) {
        const QPixmap& pixmap = images_[static_cast<std::size_t>(image)];
        painter_.drawPixmap(layout_.ImageLeft(level) - scrollX_,
                            top + (layout_.rowHeight - layout_.imageHeight) / 2, pixmap);
    }

    const std::string& text = tree.ControlText(item);
    if (!IsBlank(text)) {
        const int textX = layout_.TextLeft(level) + TreeRowLayout::kTextMargin - scrollX_;
        const QFontMetrics metrics = painter_.fontMetrics();
        painter_.setPen(palette_.color(QPalette::Text));
        painter_.drawText(QPoint(textX, middle - metrics.height() / 2 + metrics.ascent()),
                          QString::fromStdString(text));
    }
}

void TreeRowPainter::PaintButton(const QRect& box, bool expanded) {
    painter_.fillRect(box, palette_.color(QPalette::Base));
    painter_.setPen(palette_.color(QPalette::Dark));
    painter_.drawRect(box.adjusted(0, 0, -1, -1));
    const QPoint center = box.center();
    const int arm = box.width() / 2 - 2;
    if (arm <= 0) {
        return;
    }
    painter_.setPen(palette_.color(QPalette::Text));
    painter_.drawLine(center.x() - arm, center.y(), center.x() + arm, center.y());
    if (!expanded) {
        painter_.drawLine(center.x(), center.y() - arm, center.x(), center.y() + arm);
    }
}

}  // namespace vantor
