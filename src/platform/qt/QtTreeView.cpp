#include "platform/qt/QtTreeView.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <limits>

#include "platform/qt/QtDrawingContext.h"
#include "platform/qt/TreeAccessibility.h"
#include "platform/qt/TreeRowPainter.h"

namespace vantor {

namespace {
// A count changes the tree after every node; the view follows at most this often, so the run
// is not spent repainting, while the user still sees it grow smoothly.
constexpr qint64 kRefreshIntervalMs = 40;
}  // namespace

QtTreeView::QtTreeView(QWidget* parent) : QAbstractScrollArea(parent) {
    // The lines are painted, not widgets: assistive technology learns them from the factory.
    static const bool accessible = [] {
        QAccessible::installFactory(&TreeAccessibleFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::StrongFocus);
    refreshTimer_.setSingleShot(true);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] { Refresh(); });
    viewport()->setBackgroundRole(QPalette::Base);
    layout_.indent = kDefaultIndent;
    UpdateLayout();
}

QtTreeView::~QtTreeView() {
    if (tree_ != nullptr) {
        tree_->onChanged = nullptr;
    }
}

void QtTreeView::SetTree(TreeControl* tree) {
    if (tree_ != nullptr) {
        tree_->onChanged = nullptr;
    }
    tree_ = tree;
    cachedItem_ = 0;
    widest_ = 0;
    if (tree_ != nullptr) {
        tree_->onChanged = [this] { OnTreeChanged(); };
        seenItemCount_ = tree_->ItemCount();
        seenVisibleRows_ = tree_->VisibleRows();
    }
    SyncScrollBars();
    viewport()->update();
}

void QtTreeView::SetImageList(std::vector<QPixmap> images, std::vector<QPixmap> sharpImages) {
    images_ = std::move(images);
    sharpImages_ =
        sharpImages.size() == images_.size() ? std::move(sharpImages) : std::vector<QPixmap>();
    UpdateLayout();
}

void QtTreeView::SetIndent(int indent) {
    layout_.indent = std::max(indent, 1);
    viewport()->update();
}

void QtTreeView::UpdateLayout() {
    const QSizeF image = images_.empty() ? QSizeF() : images_.front().deviceIndependentSize();
    layout_.imageWidth = qRound(image.width());
    layout_.imageHeight = qRound(image.height());
    layout_.rowHeight = TreeRowHeight(fontMetrics(), layout_.imageHeight);
    ScheduleScrollSync();
    viewport()->update();
}

int QtTreeView::PageRows() const {
    return std::max(1, viewport()->height() / layout_.rowHeight);
}

void QtTreeView::OnTreeChanged() {
    if (tree_->ItemCount() != seenItemCount_ || tree_->VisibleRows() != seenVisibleRows_) {
        seenItemCount_ = tree_->ItemCount();
        seenVisibleRows_ = tree_->VisibleRows();
        cachedItem_ = 0;
        if (seenItemCount_ == 0) {
            widest_ = 0;
        }
        scrollSyncPending_ = true;
    } else if (static_cast<std::size_t>(verticalScrollBar()->value()) != tree_->FirstVisibleRow()) {
        scrollSyncPending_ = true;
    }
    ScheduleRefresh();
}

// Many changes come in a row (a count inserts line after line): the scroll bars follow once,
// at the next refresh.
void QtTreeView::ScheduleScrollSync() {
    scrollSyncPending_ = true;
    ScheduleRefresh();
}

void QtTreeView::ScheduleRefresh() {
    if (refreshTimer_.isActive()) {
        return;
    }
    const qint64 since = sinceRefresh_.isValid() ? sinceRefresh_.elapsed() : kRefreshIntervalMs;
    refreshTimer_.start(static_cast<int>(std::max<qint64>(0, kRefreshIntervalMs - since)));
}

void QtTreeView::Refresh() {
    sinceRefresh_.restart();
    if (scrollSyncPending_) {
        SyncScrollBars();
    } else {
        viewport()->update();
    }
}

void QtTreeView::SyncScrollBars() {
    scrollSyncPending_ = false;
    const std::size_t rows = tree_ != nullptr ? tree_->VisibleRows() : 0;
    const auto page = static_cast<std::size_t>(PageRows());
    const std::size_t lastFirst = rows > page ? rows - page : 0;
    if (tree_ != nullptr && tree_->FirstVisibleRow() > lastFirst) {
        tree_->SetFirstVisibleRow(lastFirst);  // no empty space below the last row
    }
    const std::size_t first = tree_ != nullptr ? tree_->FirstVisibleRow() : 0;
    const int intMax = std::numeric_limits<int>::max();

    syncingScrollBars_ = true;
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, static_cast<int>(std::min<std::size_t>(lastFirst, intMax)));
    vertical->setPageStep(static_cast<int>(page));
    vertical->setSingleStep(1);
    vertical->setValue(static_cast<int>(std::min<std::size_t>(first, intMax)));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, widest_ - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(fontMetrics().averageCharWidth());
    syncingScrollBars_ = false;
    viewport()->update();
}

void QtTreeView::scrollContentsBy(int, int dy) {
    if (syncingScrollBars_) {
        return;
    }
    if (dy != 0 && tree_ != nullptr) {
        tree_->SetFirstVisibleRow(static_cast<std::size_t>(verticalScrollBar()->value()));
    }
    // Repainted whole: the tree's right-aligned column does not move with the content.
    viewport()->update();
}

void QtTreeView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    ScheduleScrollSync();
}

std::size_t QtTreeView::RowFor(HTREEITEM item) const {
    if (tree_ == nullptr || item == 0) {
        return kNoRow;
    }
    std::size_t row = kNoRow;
    if (item == cachedItem_) {
        row = cachedRow_;
    } else if (cachedItem_ != 0 && tree_->Next(cachedItem_, TVGN_NEXTVISIBLE) == item) {
        row = cachedRow_ + 1;
    } else {
        row = tree_->RowOf(item);
    }
    if (row != kNoRow) {
        cachedItem_ = item;
        cachedRow_ = row;
    }
    return row;
}

int QtTreeView::RowTop(std::size_t row) const {
    const auto first = static_cast<long long>(tree_->FirstVisibleRow());
    const long long top = (static_cast<long long>(row) - first) * layout_.rowHeight;
    // Far-off rows only need to stay far off.
    constexpr long long kFar = 1LL << 28;
    return static_cast<int>(std::clamp(top, -kFar, kFar));
}

int QtTreeView::TextAdvance(HTREEITEM item) const {
    const std::string& text = tree_->ControlText(item);
    if (text.find_first_not_of(' ') == std::string::npos) {
        // Placeholders are all blanks: measured by count, as the tree measures them.
        return static_cast<int>(text.size()) * fontMetrics().horizontalAdvance(QLatin1Char(' '));
    }
    return fontMetrics().horizontalAdvance(QString::fromStdString(text));
}

Rect QtTreeView::ItemTextRect(HTREEITEM item) const {
    const std::size_t row = RowFor(item);
    if (row == kNoRow) {
        return {};
    }
    const int level = tree_->Level(item);
    const int left = layout_.TextLeft(level);
    const int right = left + layout_.TextWidth(TextAdvance(item));
    const int scrollX = horizontalScrollBar()->value();
    const int top = RowTop(row);
    return {left - scrollX, top, right - scrollX, top + layout_.rowHeight};
}

QRect QtTreeView::ButtonRect(HTREEITEM item) const {
    const std::size_t row = RowFor(item);
    if (row == kNoRow || !tree_->HasChildren(item)) {
        return {};
    }
    return layout_.ButtonRect(tree_->Level(item), RowTop(row))
        .translated(-horizontalScrollBar()->value(), 0);
}

Rect QtTreeView::ClientRect() const {
    return {0, 0, viewport()->width(), viewport()->height()};
}

bool QtTreeView::HasFocus() const {
    return hasFocus();
}

void QtTreeView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    if (tree_ == nullptr) {
        return;
    }
    const int scrollX = horizontalScrollBar()->value();
    const std::size_t first = tree_->FirstVisibleRow();
    const HTREEITEM firstItem = first < tree_->VisibleRows() ? tree_->ItemAtRow(first) : 0;
    const int height = viewport()->height();

    // Only the rows in view are painted: a tree may have tens of thousands.
    // Device pixels per pixel, however the painter reaches the device (a screen, or a picture
    // of the widget rendered at a higher resolution).
    const bool sharp = painter.deviceTransform().m22() > 1 && !sharpImages_.empty();
    TreeRowPainter rows(painter, layout_, palette(), sharp ? sharpImages_ : images_, scrollX);
    int top = 0;
    for (HTREEITEM item = firstItem; item != 0 && top < height;
         item = tree_->Next(item, TVGN_NEXTVISIBLE), top += layout_.rowHeight) {
        rows.Paint(*tree_, item, top);
    }

    // The tree paints its texts over the lines, reading them from the first row in view on.
    cachedItem_ = firstItem;
    cachedRow_ = first;
    QtDrawingContext dc(painter, font(), palette());
    tree_->OnPaint(*this, dc);

    // Measured after the tree's painting, which fits the placeholders to what it drew. Lines
    // fitted to another width may have been wider: that width's measure is dropped.
    const int widestBefore = widest_;
    if (viewport()->width() != widestAtWidth_) {
        widest_ = 0;
        widestAtWidth_ = viewport()->width();
    }
    top = 0;
    for (HTREEITEM item = firstItem; item != 0 && top < height;
         item = tree_->Next(item, TVGN_NEXTVISIBLE), top += layout_.rowHeight) {
        widest_ = std::max(
            widest_, layout_.TextLeft(tree_->Level(item)) + layout_.TextWidth(TextAdvance(item)));
    }
    if (widest_ != widestBefore) {
        ScheduleScrollSync();
    }
}

HTREEITEM QtTreeView::HitTest(const QPoint& point, TreeRowLayout::Part& part) const {
    part = TreeRowLayout::Part::kNone;
    if (tree_ == nullptr || point.y() < 0) {
        return 0;
    }
    const std::size_t row =
        tree_->FirstVisibleRow() + static_cast<std::size_t>(point.y() / layout_.rowHeight);
    if (row >= tree_->VisibleRows()) {
        return 0;
    }
    const HTREEITEM item = tree_->ItemAtRow(row);
    const int level = tree_->Level(item);
    // A line is drawn, and highlighted, up to the right edge (where its count stands), so it
    // is hit up to there too.
    const int scrollX = horizontalScrollBar()->value();
    const int textRight = layout_.TextLeft(level) + layout_.TextWidth(TextAdvance(item));
    part = layout_.HitPart(point.x() + scrollX, level, tree_->HasChildren(item),
                           std::max(textRight, scrollX + viewport()->width()));
    return item;
}

void QtTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    TreeRowLayout::Part part = TreeRowLayout::Part::kNone;
    const HTREEITEM item = HitTest(event->position().toPoint(), part);
    if (part == TreeRowLayout::Part::kButton) {
        tree_->Expand(item, TVE_TOGGLE);
    } else if (part == TreeRowLayout::Part::kItem) {
        SelectLine(item);
    }
}

void QtTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    TreeRowLayout::Part part = TreeRowLayout::Part::kNone;
    const HTREEITEM item = HitTest(event->position().toPoint(), part);
    if (part == TreeRowLayout::Part::kItem) {
        SelectLine(item);  // normally done by the first click already
    }
    if (part != TreeRowLayout::Part::kNone) {
        tree_->Expand(item, TVE_TOGGLE);
    }
}

void QtTreeView::mouseReleaseEvent(QMouseEvent* event) {
    // The press was ours, so is its release: it does nothing more.
    event->setAccepted(event->button() == Qt::LeftButton);
}

HTREEITEM QtTreeView::KeyTarget(int key, HTREEITEM selected) {
    const std::size_t rows = tree_->VisibleRows();
    std::size_t row = RowFor(selected);
    if (row == kNoRow) {
        // Nothing selected: the arrows pick the top line in view; the jumps start from it.
        selected = tree_->Next(0, TVGN_FIRSTVISIBLE);
        row = tree_->FirstVisibleRow();
        if (key != Qt::Key_Home && key != Qt::Key_End && key != Qt::Key_PageUp &&
            key != Qt::Key_PageDown) {
            return selected;
        }
    }
    const auto page = static_cast<std::size_t>(std::max(1, PageRows() - 1));
    switch (key) {
        case Qt::Key_Up:
            return tree_->Next(selected, TVGN_PREVIOUSVISIBLE);
        case Qt::Key_Down:
            return tree_->Next(selected, TVGN_NEXTVISIBLE);
        case Qt::Key_Home:
            return tree_->ItemAtRow(0);
        case Qt::Key_End:
            return tree_->ItemAtRow(rows - 1);
        case Qt::Key_PageUp:
            return tree_->ItemAtRow(row > page ? row - page : 0);
        case Qt::Key_PageDown:
            return tree_->ItemAtRow(std::min(row + page, rows - 1));
        case Qt::Key_Left:
            if (tree_->IsExpanded(selected) && tree_->HasChildren(selected)) {
                tree_->Expand(selected, TVE_COLLAPSE);
                return 0;
            }
            return tree_->Next(selected, TVGN_PARENT);
        case Qt::Key_Right:
            if (!tree_->HasChildren(selected)) {
                return 0;
            }
            if (!tree_->IsExpanded(selected)) {
                tree_->Expand(selected, TVE_EXPAND);
                return 0;
            }
            return tree_->Next(selected, TVGN_CHILD);
        case Qt::Key_Plus:
            tree_->Expand(selected, TVE_EXPAND);
            return 0;
        case Qt::Key_Minus:
            tree_->Expand(selected, TVE_COLLAPSE);
            return 0;
        default:
            return 0;
    }
}

void QtTreeView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Plus:
        case Qt::Key_Minus:
            break;
        default:
            if (!TypeAhead(*event)) {
                event->ignore();  // Enter, Escape and the like are the dialog's
            }
            return;
    }
    if (tree_ == nullptr || tree_->VisibleRows() == 0) {
        return;
    }
    MoveSelection(KeyTarget(event->key(), tree_->Selected()));
}

bool QtTreeView::TypeAhead(const QKeyEvent& event) {
    const QString text = event.text();
    if (tree_ == nullptr || tree_->VisibleRows() == 0 || text.isEmpty() || !text.at(0).isPrint() ||
        (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return false;
    }
    if (!typed_.isEmpty() && sinceTyped_.elapsed() > QApplication::keyboardInputInterval()) {
        typed_.clear();
    }
    if (typed_.isEmpty() && text.at(0).isSpace()) {
        return false;
    }
    typed_ += text;
    sinceTyped_.restart();
    // One letter typed again and again steps through the names that start with it; a longer
    // prefix stays on the line it already matches.
    const bool oneLetter = typed_.count(typed_.at(0)) == typed_.size();
    const QString prefix = oneLetter ? typed_.left(1) : typed_;
    HTREEITEM item = tree_->Selected();
    if (RowFor(item) == kNoRow) {
        item = tree_->ItemAtRow(0);
    } else if (oneLetter) {
        item = tree_->Next(item, TVGN_NEXTVISIBLE);
    }
    for (std::size_t looked = 0; looked < tree_->VisibleRows(); ++looked) {
        if (item == 0) {
            item = tree_->ItemAtRow(0);  // on from the top
        }
        if (QString::fromStdString(tree_->ItemName(item)).startsWith(prefix, Qt::CaseInsensitive)) {
            MoveSelection(item);
            break;
        }
        item = tree_->Next(item, TVGN_NEXTVISIBLE);
    }
    return true;
}

void QtTreeView::MoveSelection(HTREEITEM item) {
    if (item == 0) {
        return;
    }
    SelectLine(item);
    EnsureVisible(item);
}

void QtTreeView::SelectLine(HTREEITEM item) {
    if (item == tree_->Selected()) {
        return;
    }
    tree_->Select(item);
    // The lines are painted, so the view tells a screen reader which one it now stands on.
    if (QAccessible::isActive()) {
        for (const auto& event : SelectionEvents(*this, item)) {
            QAccessible::updateAccessibility(event.get());
        }
    }
}

void QtTreeView::EnsureVisible(HTREEITEM item) {
    const std::size_t row = RowFor(item);
    if (row == kNoRow) {
        return;
    }
    const std::size_t first = tree_->FirstVisibleRow();
    const auto page = static_cast<std::size_t>(PageRows());
    if (row < first) {
        tree_->SetFirstVisibleRow(row);
    } else if (row >= first + page) {
        tree_->SetFirstVisibleRow(row - page + 1);
    }
}

void QtTreeView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();  // the tree draws its focus rectangle by the focus
}

void QtTreeView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

bool QtTreeView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QAbstractScrollArea::viewportEvent(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    TreeRowLayout::Part part = TreeRowLayout::Part::kNone;
    const HTREEITEM item = HitTest(help->pos(), part);
    const std::string detail = part == TreeRowLayout::Part::kItem ? tree_->ItemDetail(item) : "";
    if (detail.empty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), QString::fromStdString(detail), viewport());
    }
    return true;
}

void QtTreeView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateLayout();
    }
}

}  // namespace vantor
