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
    kTreeView,      // with buttons, lines and lines at root, bordered
    kPicture,       // a bitmap resource shown at its own size
    kEdit,          // a one-line text field
    kPasswordEdit,  // a one-line text field that shows no text
    kDropDown,      // a list to choose an item from (SetListItems), or to type a text in
};

// How a control follows the edges of a resizable dialog; by default it stays where it is. Its
// own type, so that no other value of a template converts to it unnoticed.
struct Anchors {
    unsigned bits = 0;
    constexpr Anchors() = default;
    constexpr explicit Anchors(unsigned value) : bits(value) {}
    constexpr Anchors operator|(Anchors other) const { return Anchors(bits | other.bits); }
    constexpr bool Has(Anchors anchor) const { return (bits & anchor.bits) != 0; }
};
inline constexpr Anchors kFixed{};
inline constexpr Anchors kFollowRight{1U};   // keeps its distance to the right edge
inline constexpr Anchors kFollowBottom{2U};  // keeps its distance to the bottom edge
inline constexpr Anchors kGrowWidth{4U};     // its right edge keeps its distance to the right edge
inline constexpr Anchors kGrowHeight{8U};  // its bottom edge keeps its distance to the bottom edge

struct ControlTemplate {
    int id;  // res::IDC_STATIC for controls without an id
    ControlKind kind;
    std::string caption;
    Rect rect;  // x, y, x + width, y + height in dialog units
    Anchors anchors = kFixed;
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
    // The template's size is then the least the window can have; the controls follow their
    // anchors.
    bool resizable = false;
};

// The template of a dialog resource, or null for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

// Rectangle of x, y, width, height (the order templates give them in).
constexpr Rect Xywh(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

}  // namespace vantor
