#pragma once
// What the program's own painting needs of a drawing surface: filled rectangles, text drawn
// and measured with format flags, text and background colours, a focus rectangle, the
// system colours and the width of a character.

#include <string>

#include "platform/Geometry.h"

namespace vantor {

// Text format flags.
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_CALCRECT = 0x400;
// A single line wider than its rectangle ends in "…" where it is cut (not when measuring).
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// System colour indexes.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;

class DrawingContext {
  public:
    virtual ~DrawingContext() = default;
    virtual void FillSolidRect(const Rect& rect, Color color) = 0;
    // Both return the previous colour.
    virtual Color SetTextColor(Color color) = 0;
    virtual Color SetBkColor(Color color) = 0;
    // Draws text in rect by the flags, literally (an ampersand is an ampersand). With
    // DT_CALCRECT it draws nothing and sets rect's right and bottom to the text's extent from
    // its left and top. Returns the text's height.
    virtual int DrawText(const std::string& text, Rect& rect, unsigned format) = 0;
    virtual void DrawFocusRect(const Rect& rect) = 0;
    // Width of one character in the current font.
    virtual int CharWidth(char c) = 0;
    virtual Color SysColor(int index) const = 0;
};

}  // namespace vantor
