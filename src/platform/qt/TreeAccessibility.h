#pragma once
// Tells assistive technology what the tree view shows, which the view paints itself: the tree
// and, as its children, the shown lines (the rows of the expanded tree), each a tree item with
// its name and, as its description and value, its count.

#include <QString>

class QAccessibleInterface;
class QObject;

namespace vantor {

// For QAccessible::installFactory: the interface of a QtTreeView, null for anything else.
QAccessibleInterface* TreeAccessibleFactory(const QString& className, QObject* object);

}  // namespace vantor
