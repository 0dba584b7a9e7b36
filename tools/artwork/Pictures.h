#pragma once
// The three dialog pictures: splash, about and counting notice, 359 by 269 pixels each.

#include <QImage>
#include <QStringList>

namespace artwork {

// Each adds to `overflows` any text that did not fit its place. With scale 2, the picture is
// drawn with twice the pixels each way, for a device pixel ratio of 2.
QImage SplashPicture(QStringList& overflows, int scale);
QImage AboutPicture(QStringList& overflows, int scale);
QImage NoticePicture(QStringList& overflows, int scale);

}  // namespace artwork
