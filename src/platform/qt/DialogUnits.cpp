#include "platform/qt/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <cmath>

namespace vantor {

namespace {

int Scale(int units, int base, int divisor) {
    return static_cast<int>(std::lround(static_cast<double>(units) * base / divisor));
}

}  // namespace

QFont DialogFont(const DialogTemplate& dialogTemplate) {
    const QString face = QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"))
                             ? QStringLiteral("Liberation Sans")
                             : QStringLiteral("DejaVu Sans");
    QFont font(face);
    font.setPointSize(dialogTemplate.fontPoints);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = static_cast<int>(std::lround(alphabet / 52.0));
    // The classic dialog font's cell height counts one row more than its ascent and descent;
    // with it the windows keep their intended proportions (6 by 13 with Liberation Sans 8 pt).
    baseY_ = metrics.height() + 1;
}

int DialogUnits::X(int units) const {
    return Scale(units, baseX_, 4);
}

int DialogUnits::Y(int units) const {
    return Scale(units, baseY_, 8);
}

QRect DialogUnits::ToPixels(const Rect& units) const {
    const int left = X(units.left);
    const int top = Y(units.top);
    return {left, top, X(units.right) - left, Y(units.bottom) - top};
}

QSize DialogUnits::ToPixels(int width, int height) const {
    return {X(width), Y(height)};
}

}  // namespace vantor
