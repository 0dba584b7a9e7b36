#include "platform/qt/TreeAccessibility.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <limits>
#include <unordered_map>

#include "platform/qt/QtTreeView.h"

namespace vantor {

namespace {

// The row of a shown line, or -1.
int ShownRow(const TreeControl& tree, HTREEITEM item) {
    const std::size_t row = tree.RowOf(item);
    return item != 0 && row < tree.VisibleRows() && tree.ItemAtRow(row) == item
               ? static_cast<int>(std::min<std::size_t>(row, std::numeric_limits<int>::max()))
               : -1;
}

// One shown line; it reads the tree afresh on every question, so it is never stale.
class AccessibleTreeLine : public QAccessibleInterface {
  public:
    AccessibleTreeLine(QtTreeView* view, HTREEITEM item) : view_(view), item_(item) {}

    bool isValid() const override {
        return !view_.isNull() && view_->Tree() != nullptr && Row() >= 0;
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return view_.isNull() ? nullptr : view_->window()->windowHandle();
    }
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation) const override {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text kind) const override {
        if (!isValid()) {
            return {};
        }
        switch (kind) {
            case QAccessible::Name:
                return QString::fromStdString(view_->Tree()->ItemName(item_));
            case QAccessible::Description:
            case QAccessible::Value:
                return QString::fromStdString(view_->Tree()->ItemCountText(item_));
            default:
                return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const Rect text = view_->ItemTextRect(item_);
        // The line reaches the right edge, where its count stands.
        const QRect line(QPoint(text.left, text.top),
                         QPoint(view_->viewport()->width() - 1, text.bottom - 1));
        return QRect(view_->viewport()->mapToGlobal(line.topLeft()), line.size());
    }
    QAccessible::Role role() const override { return QAccessible::TreeItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const TreeControl& tree = *view_->Tree();
        state.selectable = true;
        state.selected = tree.Selected() == item_;
        state.focusable = true;
        state.focused = state.selected && view_->hasFocus();
        state.expandable = tree.HasChildren(item_);
        state.expanded = state.expandable && tree.IsExpanded(item_);
        state.collapsed = state.expandable && !state.expanded;
        return state;
    }

    int Row() const { return ShownRow(*view_->Tree(), item_); }

  private:
    QPointer<QtTreeView> view_;
    HTREEITEM item_;
};

class AccessibleTreeView : public QAccessibleWidget {
  public:
    explicit AccessibleTreeView(QtTreeView* view)
        : QAccessibleWidget(view, QAccessible::Tree), view_(view) {}
    ~AccessibleTreeView() override { Forget(); }
    AccessibleTreeView(const AccessibleTreeView&) = delete;
    AccessibleTreeView& operator=(const AccessibleTreeView&) = delete;

    int childCount() const override {
        const TreeControl* tree = view_->Tree();
        return tree == nullptr ? 0
                               : static_cast<int>(std::min<std::size_t>(
                                     tree->VisibleRows(), std::numeric_limits<int>::max()));
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        const TreeControl& tree = *view_->Tree();
        if (tree.ItemCount() < seenItems_) {
            Forget();  // the tree was emptied: its handles are given out again
        }
        seenItems_ = tree.ItemCount();
        const HTREEITEM item = tree.ItemAtRow(static_cast<std::size_t>(index));
        auto it = lines_.find(item);
        if (it == lines_.end()) {
            auto* line = new AccessibleTreeLine(view_, item);
            it = lines_.emplace(item, QAccessible::registerAccessibleInterface(line)).first;
        }
        return QAccessible::accessibleInterface(it->second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* line = dynamic_cast<const AccessibleTreeLine*>(child);
        return line != nullptr && line->isValid() ? line->Row() : -1;
    }
    QAccessibleInterface* focusChild() const override {
        const TreeControl* tree = view_->Tree();
        if (tree == nullptr || tree->Selected() == 0) {
            return nullptr;
        }
        const std::size_t row = tree->RowOf(tree->Selected());
        return row < tree->VisibleRows() ? child(static_cast<int>(row)) : nullptr;
    }

  private:
    void Forget() const {
        for (const auto& [item, id] : lines_) {
            QAccessible::deleteAccessibleInterface(id);
        }
        lines_.clear();
    }

    QtTreeView* view_;
    mutable std::unordered_map<HTREEITEM, QAccessible::Id> lines_;
    mutable std::size_t seenItems_ = 0;
};

}  // namespace

std::vector<std::unique_ptr<QAccessibleEvent>> SelectionEvents(QtTreeView& view, HTREEITEM item) {
    std::vector<std::unique_ptr<QAccessibleEvent>> events;
    const int row = view.Tree() != nullptr ? ShownRow(*view.Tree(), item) : -1;
    if (row < 0) {
        return events;
    }
    for (const QAccessible::Event type : {QAccessible::Selection, QAccessible::Focus}) {
        if (type == QAccessible::Focus && !view.hasFocus()) {
            continue;
        }
        auto event = std::make_unique<QAccessibleEvent>(&view, type);
        event->setChild(row);
        events.push_back(std::move(event));
    }
    return events;
}

QAccessibleInterface* TreeAccessibleFactory(const QString& className, QObject* object) {
    auto* view = qobject_cast<QtTreeView*>(object);
    if (view == nullptr || className != QLatin1String("vantor::QtTreeView")) {
        return nullptr;
    }
    return new AccessibleTreeView(view);
}

}  // namespace vantor
