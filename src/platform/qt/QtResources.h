#pragma once
// The program's pictures and icon, compiled into the platform library as Qt resources and
// looked up by their resource ids.

#include <QIcon>
#include <QPixmap>
#include <vector>

namespace vantor {

// The bitmap of that id, or a null pixmap for an unknown id.
QPixmap BitmapResource(int bitmapId);
// The icon of that id in every size it comes in, or a null icon for an unknown id.
QIcon IconResource(int iconId);
// An image list: the strip cut into images imageWidth pixels wide, left to right; a last
// piece narrower than that is dropped.
std::vector<QPixmap> CutImageStrip(const QPixmap& strip, int imageWidth);

}  // namespace vantor
