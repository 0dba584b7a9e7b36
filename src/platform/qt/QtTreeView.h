#pragma once
// The tree-view control over a TreeControl: it shows the rows of the expanded tree with
// connecting lines, expand buttons, images and the control's own item texts, lets the tree
// paint the lines' real texts over them, and turns mouse and keyboard input into the tree's
// Select and Expand. The tree holds all state; the scroll position is its first visible row.

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <cstddef>
#include <vector>

#include "platform/TreeViewPort.h"
#include "platform/qt/TreeRowLayout.h"

namespace vantor {

class QtTreeView : public QAbstractScrollArea, public TreeViewPort {
    Q_OBJECT

  public:
    // A classic tree view's indent.
    static constexpr int kDefaultIndent = 19;

    explicit QtTreeView(QWidget* parent = nullptr);
    ~QtTreeView() override;
    QtTreeView(const QtTreeView&) = delete;
    QtTreeView& operator=(const QtTreeView&) = delete;

    // Shows tree (borrowed; it must outlive the view or be replaced first; null shows
    // nothing). The view takes the tree's onChanged to repaint.
    void SetTree(TreeControl* tree);
    TreeControl* Tree() const { return tree_; }
    // The line images, and the same drawn for a device pixel ratio of 2 (device pixel ratio 2,
    // as many; none: the plain ones are scaled there).
    void SetImageList(std::vector<QPixmap> images, std::vector<QPixmap> sharpImages = {});
    int Indent() const { return layout_.indent; }
    void SetIndent(int indent);
    int RowHeight() const { return layout_.rowHeight; }
    // Rows that fit into the view entirely (at least 1).
    int PageRows() const;
    // Scrolls so that item's row is shown, if it is a row.
    void EnsureVisible(HTREEITEM item);
    // The expand button of a shown item with children, in viewport pixels; empty otherwise.
    QRect ButtonRect(HTREEITEM item) const;

    Rect ClientRect() const override;
    Rect ItemTextRect(HTREEITEM item) const override;
    bool HasFocus() const override;
    // True while a change of the tree waits to be shown.
    bool RefreshPending() const { return refreshTimer_.isActive(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A tooltip over a line tells its detail (an error line's cause).
    bool viewportEvent(QEvent* event) override;

  private:
    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

    void UpdateLayout();
    void OnTreeChanged();
    void ScheduleScrollSync();
    // Repaints (and first follows with the scroll bars) at most once per refresh interval.
    void ScheduleRefresh();
    void Refresh();
    void SyncScrollBars();
    // The row of item, or kNoRow when it is hidden under a collapsed ancestor.
    std::size_t RowFor(HTREEITEM item) const;
    int RowTop(std::size_t row) const;
    int TextAdvance(HTREEITEM item) const;
    HTREEITEM HitTest(const QPoint& point, TreeRowLayout::Part& part) const;
    HTREEITEM KeyTarget(int key, HTREEITEM selected);
    void MoveSelection(HTREEITEM item);
    // Selects item as the user's click or key does, and tells assistive technology.
    void SelectLine(HTREEITEM item);
    // A printable key selects the next line whose name starts with what was typed within the
    // keyboard input interval; false for keys that are not typing.
    bool TypeAhead(const QKeyEvent& event);

    TreeControl* tree_ = nullptr;
    std::vector<QPixmap> images_;
    std::vector<QPixmap> sharpImages_;
    TreeRowLayout layout_;
    bool scrollSyncPending_ = false;
    bool syncingScrollBars_ = false;
    QTimer refreshTimer_;
    QElapsedTimer sinceRefresh_;

    // Tree shape when last seen: every change that moves rows changes one of these.
    std::size_t seenItemCount_ = 0;
    std::size_t seenVisibleRows_ = 0;
    // The last row looked up: the tree is read line after line, and the next visible line
    // of a known row is the next row, which spares the walk from the root.
    mutable HTREEITEM cachedItem_ = 0;
    mutable std::size_t cachedRow_ = 0;
    // The widest text rectangle painted at the viewport's width widestAtWidth_ (right edge in
    // content pixels): the horizontal extent.
    int widest_ = 0;
    int widestAtWidth_ = 0;
    QString typed_;
    QElapsedTimer sinceTyped_;
};

}  // namespace vantor
