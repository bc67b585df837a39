// Intrusive circular lists: channels in the idle list or a DSP unit's channel
// list, and the DSP units themselves. A node outside any list points at itself,
// so unlinking needs no knowledge of the list it is in.
#pragma once

struct ListNode {
    ListNode* next = this;
    ListNode* prev = this;
};

inline bool list_empty(const ListNode& head) { return head.next == &head; }

inline void list_unlink(ListNode* node) {
    node->prev->next = node->next;
    node->next->prev = node->prev;
    node->next = node->prev = node;
}

inline void list_insert_before(ListNode* where, ListNode* node) {
    node->prev = where->prev;
    node->next = where;
    where->prev->next = node;
    where->prev = node;
}

inline void list_append(ListNode& head, ListNode* node) {
    list_unlink(node);
    list_insert_before(&head, node);
}

inline void list_clear(ListNode& head) {
    while (!list_empty(head)) list_unlink(head.next);
}
