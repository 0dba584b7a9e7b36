#pragma once
// The program's drawing surface over a QPainter. Text is drawn on an opaque background of the
// current background colour, in the given font, and clipped to its rectangle.

#include <QFont>
#include <QFontMetrics>
#include <QPalette>

#include "platform/DrawingContext.h"

class QPainter;

namespace vantor {

QColor ToQColor(Color color);
Color FromQColor(const QColor& color);

class QtDrawingContext : public DrawingContext {
  public:
    // The painter and palette are borrowed for the context's life. The colours start as the
    // palette's text and base colours.
    QtDrawingContext(QPainter& painter, const QFont& font, const QPalette& palette);

    void FillSolidRect(const Rect& rect, Color color) override;
    Color SetTextColor(Color color) override;
    Color SetBkColor(Color color) override;
    int DrawText(const std::string& text, Rect& rect, unsigned format) override;
    void DrawFocusRect(const Rect& rect) override;
    int CharWidth(char c) override;
    Color SysColor(int index) const override;

  private:
    bool Visible(const QRect& rect) const;

    QPainter& painter_;
    QFont font_;
    QFontMetrics metrics_;
    const QPalette& palette_;
    Color textColor_;
    Color bkColor_;
};

}  // namespace vantor
