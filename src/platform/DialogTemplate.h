#pragma once
// Dialog templates: a dialog's size, caption and controls, in dialog units. The realisation
// converts dialog units with the dialog font's base units, so every window keeps its
// proportions whatever the font.

#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace vantor {

enum class ControlKind {
    kDefPushButton,
    kPushButton,
    kCheckBox,      // automatic check box
    kRadioButton,   // automatic radio button; groupStart begins a new group
    kStatic,        // static text, left-aligned
    kStaticCenter,  // static text, centred
    kGroupBox,
    kTreeView,  // with buttons, lines and lines at root, bordered
    kPicture,   // a bitmap resource shown at its own size
};

struct ControlTemplate {
    int id;  // res::IDC_STATIC for controls without an id
    ControlKind kind;
    std::string caption;
    Rect rect;  // x, y, x + width, y + height in dialog units
    bool groupStart = false;
    int bitmapId = 0;  // pictures only
};

struct DialogTemplate {
    int id;
    std::string caption;  // "" with hasCaption false: no caption bar
    int width;            // dialog units
    int height;
    bool hasCaption = true;
    bool hasSystemMenu = false;  // a close box
    std::string fontFace = "MS Sans Serif";
    int fontPoints = 8;
    std::vector<ControlTemplate> controls;  // in tab order
};

// The template of a dialog resource, or null for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

// Rectangle of x, y, width, height (the order templates give them in).
constexpr Rect Xywh(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

}  // namespace vantor
