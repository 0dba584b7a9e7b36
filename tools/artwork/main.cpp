// Draws the program's artwork into a directory: the three dialog pictures and the tree images
// (each also at twice the resolution), and the window icon in three sizes and as SVG. Run it
// offscreen: QT_QPA_PLATFORM=offscreen.

#include <QDir>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QTextStream>

#include "Mark.h"
#include "Pictures.h"
#include "Style.h"
#include "TreeImages.h"

namespace {

QImage Icon(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    artwork::DrawMark(painter, QRectF(0, 0, side, side));
    return image;
}

// The icon as a drawing: desktops scale it to any size without going soft.
bool SaveScalableIcon(const QDir& dir, QTextStream& err) {
    constexpr int kSide = 256;
    QSvgGenerator svg;
    svg.setFileName(dir.filePath("vantor.svg"));
    svg.setSize(QSize(kSide, kSide));
    svg.setViewBox(QRect(0, 0, kSide, kSide));
    svg.setTitle("Quillon Vantor");
    QPainter painter;
    if (!painter.begin(&svg)) {
        err << "cannot write " << svg.fileName() << "\n";
        return false;
    }
    artwork::DrawMark(painter, QRectF(0, 0, kSide, kSide));
    return painter.end();
}

bool Save(const QImage& image, const QDir& dir, const QString& name, QTextStream& err) {
    const QString path = dir.filePath(name);
    if (!image.save(path, "PNG")) {
        err << "cannot write " << path << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: vantor-artwork OUTPUT-DIRECTORY\n";
        return 2;
    }
    const QString family = QFontInfo(artwork::SansFont(12)).family();
    if (family != QStringLiteral("Liberation Sans")) {
        err << "font Liberation Sans is not installed (got " << family << ")\n";
        return 1;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists()) {
        err << "no directory " << dir.path() << "\n";
        return 1;
    }

    QStringList overflows;
    bool saved = true;
    const std::pair<const char*, QImage (*)(QStringList&, int)> pictures[] = {
        {"splash", &artwork::SplashPicture},
        {"about", &artwork::AboutPicture},
        {"notice", &artwork::NoticePicture}};
    // "@2x" names the drawing for two device pixels per pixel, as Qt's image loading reads it.
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@2x.png");
        for (const auto& [name, draw] : pictures) {
            saved = Save(draw(overflows, scale), dir, QLatin1String(name) + suffix, err) && saved;
        }
    }
    saved = Save(artwork::TreeImages(), dir, "tree_images.png", err) && saved;
    saved = Save(artwork::TreeImages2x(), dir, "tree_images@2x.png", err) && saved;
    for (const int side : {32, 48, 256}) {
        saved = Save(Icon(side), dir, QStringLiteral("vantor-%1.png").arg(side), err) && saved;
    }
    saved = SaveScalableIcon(dir, err) && saved;
    for (const QString& text : overflows) {
        err << "text does not fit: " << text << "\n";
    }
    return saved && overflows.isEmpty() ? 0 : 1;
}
