#include "platform/TreeControl.h"

namespace vantor {

TreeControl::TreeControl() = default;
TreeControl::~TreeControl() = default;

void TreeControl::OnPaint(TreeViewPort&, DrawingContext&) {}

std::string TreeControl::ItemDetail(HTREEITEM) const {
    return {};
}

std::string TreeControl::ItemName(HTREEITEM item) const {
    return ControlText(item);
}

std::string TreeControl::ItemCountText(HTREEITEM) const {
    return {};
}

TreeControl::Item* TreeControl::Find(HTREEITEM item) {
    return item == 0 || item > items_.size() ? nullptr : &items_[item - 1];
}

const TreeControl::Item* TreeControl::Find(HTREEITEM item) const {
    return item == 0 || item > items_.size() ? nullptr : &items_[item - 1];
}

void TreeControl::Changed() const {
    if (onChanged) {
        onChanged();
    }
}

void TreeControl::PropagateRows(HTREEITEM parent, std::ptrdiff_t delta) {
    while (parent != 0) {
        Item& p = items_[parent - 1];
        if (!p.expanded) {
            return;
        }
        p.rows = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(p.rows) + delta);
        parent = p.parent;
    }
    visibleRows_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(visibleRows_) + delta);
}

HTREEITEM TreeControl::Insert(const TVINSERTSTRUCT& record) {
    const HTREEITEM parent = record.hParent == TVI_ROOT ? 0 : record.hParent;
    if ((parent != 0 && Find(parent) == nullptr) || record.hInsertAfter != TVI_LAST) {
        return 0;
    }
    Item item;
    item.parent = parent;
    const TVITEM& in = record.item;
    if ((in.mask & TVIF_TEXT) != 0 && in.pszText != nullptr) {
        item.text = in.pszText;
    }
    if ((in.mask & TVIF_IMAGE) != 0) {
        item.image = in.iImage;
    }
    if ((in.mask & TVIF_SELECTEDIMAGE) != 0) {
        item.selectedImage = in.iSelectedImage;
    }
    if ((in.mask & TVIF_PARAM) != 0) {
        item.data = in.lParam;
        item.carriesData = true;
    }
    if ((in.mask & TVIF_STATE) != 0 && (in.stateMask & TVIS_EXPANDED) != 0) {
        item.expanded = (in.state & TVIS_EXPANDED) != 0;
    }
    item.level = parent == 0 ? 0 : items_[parent - 1].level + 1;

    items_.push_back(std::move(item));
    const HTREEITEM handle = items_.size();
    HTREEITEM& last = parent == 0 ? lastTop_ : items_[parent - 1].lastChild;
    if (last != 0) {
        items_[last - 1].nextSibling = handle;
        items_.back().prevSibling = last;
    } else if (parent == 0) {
        firstTop_ = handle;
    } else {
        items_[parent - 1].firstChild = handle;
    }
    last = handle;
    PropagateRows(parent, 1);
    Changed();
    return handle;
}

void TreeControl::Clear() {
    items_.clear();
    firstTop_ = lastTop_ = 0;
    visibleRows_ = 0;
    firstVisibleRow_ = 0;
    Changed();
    Select(0);
}

HTREEITEM TreeControl::Next(HTREEITEM item, unsigned code) const {
    const Item* at = Find(item);
    switch (code) {
        case TVGN_ROOT:
            return firstTop_;
        case TVGN_CARET:
            return selected_;
        case TVGN_FIRSTVISIBLE:
            return ItemAtRow(firstVisibleRow_);
        case TVGN_CHILD:
            if (item == 0 || item == TVI_ROOT) {
                return firstTop_;
            }
            return at != nullptr ? at->firstChild : 0;
        default:
            break;
    }
    if (at == nullptr) {
        return 0;
    }
    switch (code) {
        case TVGN_NEXT:
            return at->nextSibling;
        case TVGN_PREVIOUS:
            return at->prevSibling;
        case TVGN_PARENT:
            return at->parent;
        case TVGN_NEXTVISIBLE: {
            if (at->expanded && at->firstChild != 0) {
                return at->firstChild;
            }
            for (const Item* climb = at; climb != nullptr; climb = Find(climb->parent)) {
                if (climb->nextSibling != 0) {
                    return climb->nextSibling;
                }
            }
            return 0;
        }
        case TVGN_PREVIOUSVISIBLE: {
            if (at->prevSibling == 0) {
                return at->parent;
            }
            HTREEITEM deepest = at->prevSibling;
            for (const Item* d = Find(deepest); d->expanded && d->lastChild != 0;
                 d = Find(deepest)) {
                deepest = d->lastChild;
            }
            return deepest;
        }
        default:
            return 0;
    }
}

bool TreeControl::HasChildren(HTREEITEM item) const {
    const Item* at = Find(item);
    return at != nullptr && at->firstChild != 0;
}

std::intptr_t TreeControl::Data(HTREEITEM item) const {
    const Item* at = Find(item);
    return at != nullptr ? at->data : 0;
}

bool TreeControl::CarriesData(HTREEITEM item) const {
    const Item* at = Find(item);
    return at != nullptr && at->carriesData;
}

int TreeControl::Image(HTREEITEM item) const {
    const Item* at = Find(item);
    return at != nullptr ? at->image : 0;
}

int TreeControl::SelectedImage(HTREEITEM item) const {
    const Item* at = Find(item);
    return at != nullptr ? at->selectedImage : 0;
}

unsigned TreeControl::State(HTREEITEM item, unsigned mask) const {
    const Item* at = Find(item);
    if (at == nullptr) {
        return 0;
    }
    unsigned state = 0;
    if (item == selected_) {
        state |= TVIS_SELECTED;
    }
    if (at->expanded) {
        state |= TVIS_EXPANDED;
    }
    return state & mask;
}

const std::string& TreeControl::ControlText(HTREEITEM item) const {
    static const std::string empty;
    const Item* at = Find(item);
    return at != nullptr ? at->text : empty;
}

void TreeControl::SetControlText(HTREEITEM item, std::string text) {
    if (Item* at = Find(item)) {
        at->text = std::move(text);
        Changed();
    }
}

int TreeControl::Level(HTREEITEM item) const {
    const Item* at = Find(item);
    return at != nullptr ? at->level : 0;
}

bool TreeControl::Expand(HTREEITEM item, unsigned code) {
    Item* at = Find(item);
    if (at == nullptr) {
        return false;
    }
    const bool expand = code == TVE_TOGGLE ? !at->expanded : code == TVE_EXPAND;
    if (expand == at->expanded) {
        return true;
    }
    std::size_t childRows = 0;
    for (HTREEITEM c = at->firstChild; c != 0; c = items_[c - 1].nextSibling) {
        childRows += items_[c - 1].rows;
    }
    at->expanded = expand;
    at->rows = expand ? 1 + childRows : 1;
    const auto delta = static_cast<std::ptrdiff_t>(childRows);
    PropagateRows(at->parent, expand ? delta : -delta);
    if (!expand && selected_ != 0 && RowOf(selected_) == static_cast<std::size_t>(-1)) {
        Select(item);  // a hidden selection moves to the collapsed item
    }
    if (!expand) {
        SetFirstVisibleRow(firstVisibleRow_);  // the view keeps starting at a row
    }
    Changed();
    return true;
}

bool TreeControl::IsExpanded(HTREEITEM item) const {
    const Item* at = Find(item);
    return at != nullptr && at->expanded;
}

void TreeControl::Select(HTREEITEM item) {
    if (Find(item) == nullptr) {
        item = 0;
    }
    if (item == selected_) {
        return;
    }
    selected_ = item;
    Changed();
    if (onSelectionChanged) {
        onSelectionChanged(item);
    }
}

HTREEITEM TreeControl::ItemAtRow(std::size_t row) const {
    HTREEITEM at = firstTop_;
    while (at != 0) {
        const Item& item = items_[at - 1];
        if (row < item.rows) {
            if (row == 0) {
                return at;
            }
            --row;
            at = item.firstChild;
        } else {
            row -= item.rows;
            at = item.nextSibling;
        }
    }
    return 0;
}

std::size_t TreeControl::RowOf(HTREEITEM item) const {
    const Item* at = Find(item);
    if (at == nullptr) {
        return static_cast<std::size_t>(-1);
    }
    std::size_t row = 0;
    for (HTREEITEM current = item; current != 0;) {
        const Item& c = items_[current - 1];
        for (HTREEITEM s = c.prevSibling; s != 0; s = items_[s - 1].prevSibling) {
            row += items_[s - 1].rows;
        }
        if (c.parent != 0) {
            if (!items_[c.parent - 1].expanded) {
                return static_cast<std::size_t>(-1);  // hidden under a collapsed ancestor
            }
            row += 1;
        }
        current = c.parent;
    }
    return row;
}

void TreeControl::SetFirstVisibleRow(std::size_t row) {
    const std::size_t last = visibleRows_ == 0 ? 0 : visibleRows_ - 1;
    const std::size_t clamped = row > last ? last : row;
    if (clamped != firstVisibleRow_) {
        firstVisibleRow_ = clamped;
        Changed();
    }
}

}  // namespace vantor
