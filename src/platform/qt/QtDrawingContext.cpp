#include "platform/qt/QtDrawingContext.h"

#include <QPaintDevice>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <utility>
#include <vector>

namespace vantor {

namespace {

QRect ToQRect(const Rect& rect) {
    return {rect.left, rect.top, rect.Width(), rect.Height()};
}

}  // namespace

QColor ToQColor(Color color) {
    return {RedOf(color), GreenOf(color), BlueOf(color)};
}

Color FromQColor(const QColor& color) {
    return MakeColor(color.red(), color.green(), color.blue());
}

QtDrawingContext::QtDrawingContext(QPainter& painter, const QFont& font, const QPalette& palette)
    : painter_(painter),
      font_(font),
      metrics_(font, painter.device()),
      palette_(palette),
      textColor_(FromQColor(palette.color(QPalette::Text))),
      bkColor_(FromQColor(palette.color(QPalette::Base))) {}

bool QtDrawingContext::Visible(const QRect& rect) const {
    // Lines far below the view are drawn too; leaving them out early keeps that cheap.
    const QPaintDevice* device = painter_.device();
    return device == nullptr || rect.intersects(QRect(0, 0, device->width(), device->height()));
}

void QtDrawingContext::FillSolidRect(const Rect& rect, Color color) {
    const QRect area = ToQRect(rect);
    if (Visible(area)) {
        painter_.fillRect(area, ToQColor(color));
    }
}

Color QtDrawingContext::SetTextColor(Color color) {
    return std::exchange(textColor_, color);
}

Color QtDrawingContext::SetBkColor(Color color) {
    return std::exchange(bkColor_, color);
}

int QtDrawingContext::DrawText(const std::string& text, Rect& rect, unsigned format) {
    const bool singleLine = (format & DT_SINGLELINE) != 0;
    const int lineHeight = metrics_.height();
    const bool measure = (format & DT_CALCRECT) != 0;
    const QRect clip = ToQRect(rect);
    if (!measure && !Visible(clip)) {
        const auto count = singleLine ? 1 : std::count(text.begin(), text.end(), '\n') + 1;
        return lineHeight * static_cast<int>(count);
    }
    QStringList lines;
    if (singleLine && (format & DT_END_ELLIPSIS) != 0 && !measure) {
        lines.append(metrics_.elidedText(QString::fromStdString(text), Qt::ElideRight,
                                         std::max(0, rect.Width())));
    } else if (singleLine) {
        lines.append(QString::fromStdString(text));
    } else {
        for (QString line : QString::fromStdString(text).split(QLatin1Char('\n'))) {
            if (line.endsWith(QLatin1Char('\r'))) {
                line.chop(1);
            }
            lines.append(line);
        }
    }
    const int height = lineHeight * static_cast<int>(lines.size());
    std::vector<int> widths;
    int widest = 0;
    for (const QString& line : lines) {
        widths.push_back(metrics_.horizontalAdvance(line));
        widest = std::max(widest, widths.back());
    }
    if (measure) {
        rect.right = rect.left + widest;
        rect.bottom = rect.top + height;
        return height;
    }
    int top = rect.top;
    if ((format & (DT_SINGLELINE | DT_VCENTER)) == (DT_SINGLELINE | DT_VCENTER)) {
        top += (rect.Height() - lineHeight) / 2;
    }
    painter_.save();
    painter_.setClipRect(clip, Qt::IntersectClip);
    painter_.setFont(font_);
    painter_.setPen(ToQColor(textColor_));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int width = widths[static_cast<std::size_t>(i)];
        const int left = (format & DT_RIGHT) != 0 ? rect.right - width : rect.left;
        const int lineTop = top + lineHeight * static_cast<int>(i);
        painter_.fillRect(QRect(left, lineTop, width, lineHeight), ToQColor(bkColor_));
        // Drawn at a point, without layout flags, so no character has a special meaning.
        painter_.drawText(QPoint(left, lineTop + metrics_.ascent()), lines[i]);
    }
    painter_.restore();
    return height;
}

void QtDrawingContext::DrawFocusRect(const Rect& rect) {
    if (rect.Width() <= 0 || rect.Height() <= 0) {
        return;
    }
    // Every other pixel of the border, inverted: drawn twice, it is gone again.
    const int right = rect.right - 1;
    const int bottom = rect.bottom - 1;
    QPolygon dots;
    for (int x = rect.left; x <= right; x += 2) {
        dots << QPoint(x, rect.top);
        if (bottom > rect.top) {
            dots << QPoint(x, bottom);
        }
    }
    for (int y = rect.top + 2; y < bottom; y += 2) {
        dots << QPoint(rect.left, y);
        if (right > rect.left) {
            dots << QPoint(right, y);
        }
    }
    painter_.save();
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_.setPen(QPen(Qt::white, 1));
    painter_.drawPoints(dots);
    painter_.restore();
}

int QtDrawingContext::CharWidth(char c) {
    return metrics_.horizontalAdvance(QChar::fromLatin1(c));
}

Color QtDrawingContext::SysColor(int index) const {
    switch (index) {
        case COLOR_WINDOW:
            return FromQColor(palette_.color(QPalette::Base));
        case COLOR_WINDOWTEXT:
            return FromQColor(palette_.color(QPalette::Text));
        case COLOR_HIGHLIGHT:
            return FromQColor(palette_.color(QPalette::Highlight));
        case COLOR_HIGHLIGHTTEXT:
            return FromQColor(palette_.color(QPalette::HighlightedText));
        default:
            return FromQColor(palette_.color(QPalette::WindowText));
    }
}

}  // namespace vantor
