#pragma once
// The small doubly linked list that serves as the work queue and as each node's error list.
// Elements begin with a Link; the list operations only ever set links, never allocate.

#include <cstdint>

namespace vantor {

struct Link {
    Link* prev = nullptr;
    Link* next = nullptr;
};

// Base of every list element. The Link is its only member, so a Link pointer from the list
// converts back to its element.
struct ListElement {
    Link link;
};

struct LinkList {
    std::int32_t count = 0;
    Link* first = nullptr;
    Link* last = nullptr;
    ListElement* cursor = nullptr;  // the next element to hand out
};

LinkList* ListInit(LinkList* list);
// Appends element at the end; an absent element is ignored.
void ListAppend(LinkList* list, ListElement* element);
// Removes element, which must be the list's first; an absent element is ignored.
void ListRemove(LinkList* list, ListElement* element);
ListElement* ListFirst(const LinkList* list);
ListElement* ListNext(const ListElement* element);

}  // namespace vantor
