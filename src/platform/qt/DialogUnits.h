#pragma once
// Dialog units to pixels. Templates are laid out in units of the dialog font's average
// character width (a quarter of it horizontally) and height (an eighth vertically), so a
// window built with these base units keeps the template's proportions whatever the font.

#include <QFont>
#include <QRect>
#include <QSize>

#include "platform/DialogTemplate.h"

namespace vantor {

// The font a template asks for, with a face this machine has: the template's face is a
// bitmap font of another system, so a metric-compatible sans face stands in at the same size.
QFont DialogFont(const DialogTemplate& dialogTemplate);

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }
    int X(int units) const;
    int Y(int units) const;
    // Each edge converted on its own, as the template's corners are.
    QRect ToPixels(const Rect& units) const;
    QSize ToPixels(int width, int height) const;

  private:
    int baseX_;
    int baseY_;
};

}  // namespace vantor
