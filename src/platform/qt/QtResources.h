#pragma once
// The program's pictures and icon, compiled into the platform library as Qt resources and
// looked up by their resource ids.

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace vantor {

// The bitmap of that id for a device of that pixel ratio: above 1, its drawing at twice the
// resolution (device pixel ratio 2), else the plain one. A null pixmap for an unknown id.
QPixmap BitmapResource(int bitmapId, qreal devicePixelRatio = 1);
// The icon of that id in every size it comes in, or a null icon for an unknown id.
QIcon IconResource(int iconId);
// An image list: the strip cut into images imageWidth pixels wide (device-independent
// pixels; each keeps the strip's device pixel ratio), left to right; a last piece narrower
// than that is dropped.
std::vector<QPixmap> CutImageStrip(const QPixmap& strip, int imageWidth);

}  // namespace vantor
