#include "TextFlow.h"

#include <QPainter>

#include <algorithm>

namespace artwork {

TextFlow::TextFlow(QPainter& painter, const QRect& column)
    : painter_(painter), column_(column), top_(column.top()) {}

void TextFlow::Paragraph(const QFont& font, const QColor& colour, const QString& text,
                         int gapAfter) {
    top_ = Draw(Room(), font, colour, text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap) +
           gapAfter;
}

void TextFlow::Line(const QFont& font, const QColor& colour, const QString& text, int gapAfter,
                    Qt::Alignment alignment) {
    top_ = Draw(Room(), font, colour, text, static_cast<int>(alignment) | Qt::AlignTop) + gapAfter;
}

void TextFlow::LabelledLine(const QFont& labelFont, const QColor& labelColour, const QString& label,
                            int labelWidth, const QFont& font, const QColor& colour,
                            const QString& text, int gapAfter) {
    const QRect room = Room();
    const QRect labelRoom(room.left(), room.top(), labelWidth, room.height());
    const QRect textRoom = room.adjusted(labelWidth, 0, 0, 0);
    const int flags = Qt::AlignLeft | Qt::AlignTop;
    const int labelBottom = Draw(labelRoom, labelFont, labelColour, label, flags);
    const int textBottom = Draw(textRoom, font, colour, text, flags);
    top_ = std::max(labelBottom, textBottom) + gapAfter;
}

QRect TextFlow::Room() const {
    return QRect(column_.left(), top_, column_.width(), column_.bottom() + 1 - top_);
}

int TextFlow::Draw(const QRect& room, const QFont& font, const QColor& colour, const QString& text,
                   int flags) {
    painter_.setFont(font);
    painter_.setPen(colour);
    const QRect needed = painter_.boundingRect(room, flags, text);
    if (needed.width() > room.width() || needed.bottom() > room.bottom()) {
        overflows_ << text;
    }
    painter_.drawText(room, flags, text);
    return needed.bottom() + 1;
}

}  // namespace artwork
