#include "support/RecordingDrawingContext.h"

namespace vantor::test {

std::vector<DrawOp> RecordingDrawingContext::OfKind(DrawOp::Kind kind) const {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops) {
        if (op.kind == kind) {
            out.push_back(op);
        }
    }
    return out;
}

std::vector<DrawOp> RecordingDrawingContext::Texts() const {
    return OfKind(DrawOp::Kind::kText);
}

std::vector<DrawOp> RecordingDrawingContext::Fills() const {
    return OfKind(DrawOp::Kind::kFill);
}

std::vector<DrawOp> RecordingDrawingContext::Focus() const {
    return OfKind(DrawOp::Kind::kFocus);
}

void RecordingDrawingContext::FillSolidRect(const Rect& rect, Color color) {
    ops.push_back({DrawOp::Kind::kFill, rect, color, 0, {}, 0});
}

Color RecordingDrawingContext::SetTextColor(Color color) {
    const Color previous = textColor;
    textColor = color;
    return previous;
}

Color RecordingDrawingContext::SetBkColor(Color color) {
    const Color previous = backColor;
    backColor = color;
    return previous;
}

int RecordingDrawingContext::DrawText(const std::string& text, Rect& rect, unsigned format) {
    if ((format & DT_CALCRECT) != 0) {
        measured.emplace_back(text, format);
        rect.right = rect.left + TextWidth(text);
        rect.bottom = rect.top + lineHeight_;
        return lineHeight_;
    }
    ops.push_back({DrawOp::Kind::kText, rect, textColor, backColor, text, format});
    return lineHeight_;
}

void RecordingDrawingContext::DrawFocusRect(const Rect& rect) {
    ops.push_back({DrawOp::Kind::kFocus, rect, 0, 0, {}, 0});
}

int RecordingDrawingContext::CharWidth(char) {
    return charWidth_;
}

Color RecordingDrawingContext::SysColor(int index) const {
    switch (index) {
        case COLOR_WINDOW:
            return kSysWindow;
        case COLOR_WINDOWTEXT:
            return kSysWindowText;
        case COLOR_HIGHLIGHT:
            return kSysHighlight;
        case COLOR_HIGHLIGHTTEXT:
            return kSysHighlightText;
        default:
            return 0;
    }
}

}  // namespace vantor::test
