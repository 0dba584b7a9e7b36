#pragma once
// The maker's mark: a ring with a quill laid across it as the tail of a Q.

#include <QRectF>

class QPainter;

namespace artwork {

// Draws the mark filling the square `box`, on its own rounded navy tile.
void DrawMark(QPainter& painter, const QRectF& box);

}  // namespace artwork
