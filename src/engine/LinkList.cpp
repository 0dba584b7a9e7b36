#include "engine/LinkList.h"

namespace vantor {

namespace {

ListElement* ElementOf(Link* link) {
    return reinterpret_cast<ListElement*>(link);
}

}  // namespace

LinkList* ListInit(LinkList* list) {
    list->count = 0;
    list->first = nullptr;
    list->last = nullptr;
    return list;
}

void ListAppend(LinkList* list, ListElement* element) {
    if (element == nullptr) {
        return;
    }
    ++list->count;
    Link* link = &element->link;
    if (list->first == nullptr) {
        list->first = link;
        list->last = link;
        return;
    }
    list->last->next = link;
    link->prev = list->last;
    link->next = nullptr;
    list->last = link;
}

void ListRemove(LinkList* list, ListElement* element) {
    if (element == nullptr) {
        return;
    }
    --list->count;
    list->first = element->link.next;
    if (list->first != nullptr) {
        list->first->prev = nullptr;
    } else {
        list->last = nullptr;
    }
}

ListElement* ListFirst(const LinkList* list) {
    return list->first == nullptr ? nullptr : ElementOf(list->first);
}

ListElement* ListNext(const ListElement* element) {
    return element->link.next == nullptr ? nullptr : ElementOf(element->link.next);
}

}  // namespace vantor
