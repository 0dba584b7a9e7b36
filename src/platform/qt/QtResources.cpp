#include "platform/qt/QtResources.h"

#include "platform/ResourceIds.h"

namespace vantor {

QPixmap BitmapResource(int bitmapId) {
    switch (bitmapId) {
        case res::IDB_TREE_IMAGES:
            return QPixmap(QStringLiteral(":/images/tree_images.png"));
        case res::IDB_ABOUT:
            return QPixmap(QStringLiteral(":/images/about.png"));
        case res::IDB_SPLASH:
            return QPixmap(QStringLiteral(":/images/splash.png"));
        case res::IDB_NOTICE:
            return QPixmap(QStringLiteral(":/images/notice.png"));
        default:
            return {};
    }
}

QIcon IconResource(int iconId) {
    QIcon icon;
    if (iconId == res::IDI_MAIN) {
        for (const char* size : {"32", "48", "256"}) {
            icon.addFile(QStringLiteral(":/images/vantor-%1.png").arg(QLatin1String(size)));
        }
    }
    return icon;
}

std::vector<QPixmap> CutImageStrip(const QPixmap& strip, int imageWidth) {
    std::vector<QPixmap> images;
    if (imageWidth <= 0) {
        return images;
    }
    for (int left = 0; left + imageWidth <= strip.width(); left += imageWidth) {
        images.push_back(strip.copy(left, 0, imageWidth, strip.height()));
    }
    return images;
}

}  // namespace vantor
