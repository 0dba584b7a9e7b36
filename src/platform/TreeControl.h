#pragma once
// The tree control as plain data: items with opaque handles, constant-time navigation,
// insertion at the end of a parent's children, item data and images, the control's own item
// text, expand state and selection. The window renders it; everything else reads it here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantor {

class DrawingContext;
class TreeViewPort;

// Opaque item handle; 0 is "no item".
using HTREEITEM = std::uintptr_t;

// Pseudo-handles of the insertion record.
inline constexpr HTREEITEM TVI_ROOT = static_cast<HTREEITEM>(-0x10000);
inline constexpr HTREEITEM TVI_LAST = static_cast<HTREEITEM>(-0xFFFE);

// Navigation codes.
inline constexpr unsigned TVGN_ROOT = 0x0;
inline constexpr unsigned TVGN_NEXT = 0x1;
inline constexpr unsigned TVGN_PREVIOUS = 0x2;
inline constexpr unsigned TVGN_PARENT = 0x3;
inline constexpr unsigned TVGN_CHILD = 0x4;
inline constexpr unsigned TVGN_FIRSTVISIBLE = 0x5;
inline constexpr unsigned TVGN_NEXTVISIBLE = 0x6;
inline constexpr unsigned TVGN_PREVIOUSVISIBLE = 0x7;
inline constexpr unsigned TVGN_CARET = 0x9;

// Item mask bits of the insertion record.
inline constexpr unsigned TVIF_TEXT = 0x1;
inline constexpr unsigned TVIF_IMAGE = 0x2;
inline constexpr unsigned TVIF_PARAM = 0x4;
inline constexpr unsigned TVIF_STATE = 0x8;
inline constexpr unsigned TVIF_SELECTEDIMAGE = 0x20;

// Item state bits.
inline constexpr unsigned TVIS_SELECTED = 0x2;
inline constexpr unsigned TVIS_EXPANDED = 0x20;

// Expand codes.
inline constexpr unsigned TVE_COLLAPSE = 0x1;
inline constexpr unsigned TVE_EXPAND = 0x2;
inline constexpr unsigned TVE_TOGGLE = 0x3;

struct TVITEM {
    unsigned mask = 0;
    HTREEITEM hItem = 0;
    unsigned state = 0;
    unsigned stateMask = 0;
    const char* pszText = nullptr;
    int cchTextMax = 0;
    int iImage = 0;
    int iSelectedImage = 0;
    int cChildren = 0;
    std::intptr_t lParam = 0;
};

struct TVINSERTSTRUCT {
    HTREEITEM hParent = 0;
    HTREEITEM hInsertAfter = TVI_LAST;
    TVITEM item;
};

class TreeControl {
  public:
    TreeControl();
    virtual ~TreeControl();
    TreeControl(const TreeControl&) = delete;
    TreeControl& operator=(const TreeControl&) = delete;

    // Inserts at the end of the parent's children (only TVI_LAST is supported as the
    // insert-after position). Returns the new item, or 0 when refused.
    HTREEITEM Insert(const TVINSERTSTRUCT& record);
    // Removes every item; the selection becomes none.
    void Clear();

    HTREEITEM Next(HTREEITEM item, unsigned code) const;
    bool HasChildren(HTREEITEM item) const;
    std::intptr_t Data(HTREEITEM item) const;
    // True for items inserted with TVIF_PARAM: the lines that carry a count.
    bool CarriesData(HTREEITEM item) const;
    int Image(HTREEITEM item) const;
    int SelectedImage(HTREEITEM item) const;
    unsigned State(HTREEITEM item, unsigned mask) const;
    // The control's own item text (the window's placeholder).
    const std::string& ControlText(HTREEITEM item) const;
    void SetControlText(HTREEITEM item, std::string text);
    // Depth below the top level: 0 for top-level items.
    int Level(HTREEITEM item) const;

    bool Expand(HTREEITEM item, unsigned code);
    bool IsExpanded(HTREEITEM item) const;
    // Selects item (0: none); reports a change to the selection listener.
    void Select(HTREEITEM item);
    HTREEITEM Selected() const { return selected_; }

    // Rows of the expanded tree: every item whose ancestors are all expanded is a row.
    std::size_t VisibleRows() const { return visibleRows_; }
    HTREEITEM ItemAtRow(std::size_t row) const;
    std::size_t RowOf(HTREEITEM item) const;
    // The first row shown (the view's scroll position).
    std::size_t FirstVisibleRow() const { return firstVisibleRow_; }
    void SetFirstVisibleRow(std::size_t row);
    std::size_t ItemCount() const { return items_.size(); }

    // Paints over what the view drew itself (lines, buttons, images and the control's own
    // item texts); a plain tree control adds nothing.
    virtual void OnPaint(TreeViewPort& view, DrawingContext& dc);
    // What a person is told about a line beyond what it shows (a failure's cause, say), as the
    // view's tooltip; "" when there is nothing more. A plain tree control has nothing.
    virtual std::string ItemDetail(HTREEITEM item) const;
    // What a person reads on a line, for typing a name's first letters and for assistive
    // technology: its name, and its count ("" for a line without one). A plain tree control:
    // its own item text, no count.
    virtual std::string ItemName(HTREEITEM item) const;
    virtual std::string ItemCountText(HTREEITEM item) const;

    // Told after each change of contents, expand state or placeholder text, and after each
    // change of selection (with the new selection, 0 for none).
    std::function<void()> onChanged;
    std::function<void(HTREEITEM)> onSelectionChanged;

  private:
    struct Item {
        HTREEITEM parent = 0;
        HTREEITEM firstChild = 0;
        HTREEITEM lastChild = 0;
        HTREEITEM prevSibling = 0;
        HTREEITEM nextSibling = 0;
        std::intptr_t data = 0;
        int image = 0;
        int selectedImage = 0;
        int level = 0;
        bool carriesData = false;
        bool expanded = false;
        std::size_t rows = 1;  // rows of the item's shown subtree, itself included
        std::string text;
    };

    Item* Find(HTREEITEM item);
    const Item* Find(HTREEITEM item) const;
    // Adds delta rows to the ancestors of item that show them.
    void PropagateRows(HTREEITEM from, std::ptrdiff_t delta);
    void Changed() const;

    std::vector<Item> items_;  // handle h is items_[h - 1]
    HTREEITEM firstTop_ = 0;
    HTREEITEM lastTop_ = 0;
    HTREEITEM selected_ = 0;
    std::size_t visibleRows_ = 0;
    std::size_t firstVisibleRow_ = 0;
};

}  // namespace vantor
