#pragma once
// The three dialog pictures: splash, about and counting notice, 359 by 269 pixels each.

#include <QImage>
#include <QStringList>

namespace artwork {

// Each adds to `overflows` any text that did not fit its place.
QImage SplashPicture(QStringList& overflows);
QImage AboutPicture(QStringList& overflows);
QImage NoticePicture(QStringList& overflows);

}  // namespace artwork
