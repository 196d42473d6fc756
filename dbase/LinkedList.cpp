#include "dbase/LinkedList.h"

namespace vx {

void listAddAfter(List& list, ListNode* anchor, ListNode* node) {
    if (!list.lastNode) {
        node->next = node->prev = node;
        list.lastNode = node;
        list.count = 1;
        return;
    }
    if (!anchor) anchor = list.lastNode;
    node->prev = anchor;
    node->next = anchor->next;
    anchor->next->prev = node;
    anchor->next = node;
    if (anchor == list.lastNode) list.lastNode = node;
    ++list.count;
}

void listAdd(List& list, ListNode* node) { listAddAfter(list, list.lastNode, node); }

void listAddBefore(List& list, ListNode* anchor, ListNode* node) {
    if (!list.lastNode) {
        listAddAfter(list, nullptr, node);
        return;
    }
    if (!anchor) anchor = list.lastNode->next;
    node->next = anchor;
    node->prev = anchor->prev;
    anchor->prev->next = node;
    anchor->prev = node;
    ++list.count;
}

ListNode* listRemove(List& list, ListNode* node) {
    if (!node || !list.lastNode) return node;
    if (node->next == node) {
        list.lastNode = nullptr;
        list.selected = nullptr;
        list.count = 0;
    } else {
        if (list.selected == node) list.selected = node->prev;
        if (list.lastNode == node) list.lastNode = node->prev;
        node->prev->next = node->next;
        node->next->prev = node->prev;
        --list.count;
    }
    node->next = node->prev = nullptr;
    return node;
}

ListNode* listPop(List& list) { return listRemove(list, list.lastNode); }

ListNode* listFirst(const List& list) { return list.lastNode ? list.lastNode->next : nullptr; }

ListNode* listLast(const List& list) { return list.lastNode; }

ListNode* listNext(const List& list, const ListNode* node) {
    if (!node) return listFirst(list);
    return node == list.lastNode ? nullptr : node->next;
}

ListNode* listPrev(const List& list, const ListNode* node) {
    if (!node) return list.lastNode;
    return node == listFirst(list) ? nullptr : node->prev;
}

} // namespace vx
