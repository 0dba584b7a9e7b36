#include "Mark.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "Style.h"

namespace artwork {

namespace {

// The quill in its own frame: the nib's point at the origin, the feather along +x, about one
// unit long.
QPainterPath QuillVane() {
    QPainterPath vane;
    vane.moveTo(0.26, 0.0);
    vane.cubicTo(0.40, -0.14, 0.80, -0.22, 1.02, -0.03);  // the wide side of the feather
    vane.cubicTo(0.90, 0.10, 0.50, 0.12, 0.26, 0.0);      // the narrow side
    return vane;
}

// `halfWidth` is the barrel's half width where it meets the feather.
QPainterPath QuillNib(double halfWidth) {
    QPainterPath nib;
    nib.moveTo(0.0, 0.0);  // tapers from the point into the barrel, as a cut quill does
    nib.lineTo(0.34, -halfWidth);
    nib.lineTo(0.34, halfWidth);
    nib.closeSubpath();
    return nib;
}

}  // namespace

void DrawMark(QPainter& painter, const QRectF& box) {
    const double s = box.width();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());

    painter.setPen(Qt::NoPen);
    painter.setBrush(kNavy);
    painter.drawRoundedRect(QRectF(0, 0, s, s), 0.2 * s, 0.2 * s);

    // The ring's edges fall on whole pixels, so small icons stay sharp.
    const double ringWidth = std::max(2.0, std::round(0.105 * s));
    const QPointF centre(std::round(0.45 * s), std::round(0.45 * s));
    const double radius = std::round(0.25 * s + ringWidth / 2) - ringWidth / 2;
    painter.setPen(QPen(kPaper, ringWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);

    // The quill writes at the ring's centre and leaves it at the lower right as the Q's tail.
    painter.translate(centre);
    painter.rotate(45.0);
    const double unit = 0.62 * s;  // pixels per unit of the quill's frame
    painter.scale(unit, unit);
    const QPainterPath vane = QuillVane();
    painter.setPen(QPen(kNavy, 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(kGold);
    painter.drawPath(vane);  // the navy edge parts the feather from the ring it crosses
    painter.setPen(Qt::NoPen);
    painter.drawPath(vane);
    painter.drawPath(QuillNib(std::max(0.032, 0.9 / unit)));  // never much under 2 px wide
    if (s >= 64) {
        // The shaft through the feather and two gaps between its barbs; at icon sizes they
        // would only smear the feather.
        painter.setPen(QPen(kNavy, 0.028, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0.34, 0.0), QPointF(0.97, -0.02));
        painter.drawLine(QPointF(0.56, -0.155), QPointF(0.64, -0.03));
        painter.drawLine(QPointF(0.80, -0.135), QPointF(0.86, -0.03));
    }
    painter.restore();
}

}  // namespace artwork
