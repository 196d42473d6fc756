// The circular doubly linked list that every engine list uses. Nodes are
// intrusive: an engine record derives from ListNode and is linked as it is.
#pragma once

namespace vx {

struct ListNode {
    ListNode* next = nullptr;
    ListNode* prev = nullptr;
};

// The head: the last node (whose next is the first), a selected node, the count.
struct List {
    ListNode* lastNode = nullptr;
    ListNode* selected = nullptr;
    int count = 0;
};

// Adds node after the last; it becomes the last.
void listAdd(List& list, ListNode* node);
// Inserts node after (before) anchor; a node after the last becomes the last.
// A null anchor appends (after) or puts it first (before).
void listAddAfter(List& list, ListNode* anchor, ListNode* node);
void listAddBefore(List& list, ListNode* anchor, ListNode* node);
// Unlinks node: a removed last node gives way to its predecessor, a removed
// selected node moves the selection to its predecessor; the only node leaves
// the list empty. Returns node.
ListNode* listRemove(List& list, ListNode* node);
// Unlinks and returns the last node, or null.
ListNode* listPop(List& list);

ListNode* listFirst(const List& list);
ListNode* listLast(const List& list);
// The next node; from null the first; after the last null.
ListNode* listNext(const List& list, const ListNode* node);
// The previous node; from null the last; before the first null.
ListNode* listPrev(const List& list, const ListNode* node);

} // namespace vx
