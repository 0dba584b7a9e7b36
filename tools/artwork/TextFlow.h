#pragma once
// Lays text out downwards in a column and notes any text that does not fit, so no picture is
// written with words cut off.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace artwork {

class TextFlow {
  public:
    TextFlow(QPainter& painter, const QRect& column);

    // Draws `text` word-wrapped at the current position, then leaves `gapAfter` pixels.
    void Paragraph(const QFont& font, const QColor& colour, const QString& text, int gapAfter);
    // Draws `text` on one line, aligned within the column's width as `alignment` says.
    void Line(const QFont& font, const QColor& colour, const QString& text, int gapAfter,
              Qt::Alignment alignment = Qt::AlignLeft);

    // Draws `label` in a column `labelWidth` pixels wide and `text` beside it, on one line.
    void LabelledLine(const QFont& labelFont, const QColor& labelColour, const QString& label,
                      int labelWidth, const QFont& font, const QColor& colour, const QString& text,
                      int gapAfter);

    int Top() const { return top_; }
    const QStringList& Overflows() const { return overflows_; }

  private:
    QRect Room() const;  // what is left of the column below the text so far
    // Draws `text` in `room` and returns the bottom of what it took, noting an overflow.
    int Draw(const QRect& room, const QFont& font, const QColor& colour, const QString& text,
             int flags);

    QPainter& painter_;
    QRect column_;
    int top_;
    QStringList overflows_;
};

}  // namespace artwork
