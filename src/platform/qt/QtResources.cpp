#include "platform/qt/QtResources.h"

#include "platform/ResourceIds.h"

namespace vantor {

namespace {

const char* BitmapName(int bitmapId) {
    switch (bitmapId) {
        case res::IDB_TREE_IMAGES:
            return "tree_images";
        case res::IDB_ABOUT:
            return "about";
        case res::IDB_SPLASH:
            return "splash";
        case res::IDB_NOTICE:
            return "notice";
        default:
            return nullptr;
    }
}

}  // namespace

QPixmap BitmapResource(int bitmapId, qreal devicePixelRatio) {
    const char* name = BitmapName(bitmapId);
    if (name == nullptr) {
        return {};
    }
    const bool sharp = devicePixelRatio > 1;
    QPixmap bitmap(QStringLiteral(":/images/%1%2.png")
                       .arg(QLatin1String(name), sharp ? QStringLiteral("@2x") : QString()));
    bitmap.setDevicePixelRatio(sharp ? 2 : 1);
    return bitmap;
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
    const qreal ratio = strip.devicePixelRatio();
    const int width = qRound(imageWidth * ratio);
    for (int left = 0; left + width <= strip.width(); left += width) {
        QPixmap image = strip.copy(left, 0, width, strip.height());
        image.setDevicePixelRatio(ratio);
        images.push_back(image);
    }
    return images;
}

}  // namespace vantor
