#pragma once
// A drawing surface that draws nothing and remembers every call, with a fixed-pitch font so
// text widths are known in advance and with system colours that no test value collides with.

#include <string>
#include <vector>

#include "platform/DrawingContext.h"

namespace vantor::test {

inline constexpr Color kSysWindow = 0x00F0F0F1;
inline constexpr Color kSysWindowText = 0x00010203;
inline constexpr Color kSysHighlight = 0x00A05020;
inline constexpr Color kSysHighlightText = 0x00FEFEFD;
// The context's colours before anyone sets them.
inline constexpr Color kInitialText = 0x00123456;
inline constexpr Color kInitialBack = 0x00654321;

struct DrawOp {
    enum class Kind { kFill, kText, kFocus };
    Kind kind;
    Rect rect;
    Color color = 0;  // the fill colour, or the text colour the text was drawn in
    Color back = 0;   // the background colour a text was drawn on
    std::string text;
    unsigned format = 0;
};

class RecordingDrawingContext : public DrawingContext {
  public:
    explicit RecordingDrawingContext(int charWidth = 7, int lineHeight = 16)
        : charWidth_(charWidth), lineHeight_(lineHeight) {}

    void SetCharWidth(int width) { charWidth_ = width; }
    int TextWidth(const std::string& text) const {
        return static_cast<int>(text.size()) * charWidth_;
    }

    // Everything that put pixels on the surface, in order.
    std::vector<DrawOp> ops;
    // Texts measured with DT_CALCRECT, with their flags.
    std::vector<std::pair<std::string, unsigned>> measured;
    Color textColor = kInitialText;
    Color backColor = kInitialBack;

    std::vector<DrawOp> Texts() const;
    std::vector<DrawOp> Fills() const;
    std::vector<DrawOp> Focus() const;

    void FillSolidRect(const Rect& rect, Color color) override;
    Color SetTextColor(Color color) override;
    Color SetBkColor(Color color) override;
    int DrawText(const std::string& text, Rect& rect, unsigned format) override;
    void DrawFocusRect(const Rect& rect) override;
    int CharWidth(char c) override;
    Color SysColor(int index) const override;

  private:
    std::vector<DrawOp> OfKind(DrawOp::Kind kind) const;

    int charWidth_;
    int lineHeight_;
};

}  // namespace vantor::test
