#pragma once
// Tells assistive technology what the tree view shows, which the view paints itself: the tree
// and, as its children, the shown lines (the rows of the expanded tree), each a tree item with
// its name and, as its description and value, its count.

#include <QString>
#include <memory>
#include <vector>

#include "platform/TreeControl.h"

class QAccessibleEvent;
class QAccessibleInterface;
class QObject;

namespace vantor {

class QtTreeView;

// For QAccessible::installFactory: the interface of a QtTreeView, null for anything else.
QAccessibleInterface* TreeAccessibleFactory(const QString& className, QObject* object);

// What tells a screen reader that item became the view's selected line: a Selection event for
// its line, and a Focus event too while the view has the keyboard focus. None for an item that
// is no shown line.
std::vector<std::unique_ptr<QAccessibleEvent>> SelectionEvents(QtTreeView& view, HTREEITEM item);

}  // namespace vantor
