#include "dbase/LinkedList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vx {
namespace {

struct Item : ListNode {
    int value = 0;
    explicit Item(int v) : value(v) {}
};

std::vector<int> Forward(const List& list) {
    std::vector<int> out;
    for (ListNode* n = listNext(list, nullptr); n; n = listNext(list, n))
        out.push_back(static_cast<Item*>(n)->value);
    return out;
}

std::vector<int> Backward(const List& list) {
    std::vector<int> out;
    for (ListNode* n = listPrev(list, nullptr); n; n = listPrev(list, n))
        out.push_back(static_cast<Item*>(n)->value);
    return out;
}

TEST(LinkedListTest, AddAndInsert) {
    List list;
    Item a(1), b(2), c(3), d(4), e(5);
    listAdd(list, &a);
    listAdd(list, &c);
    listAddAfter(list, &a, &b);
    listAddAfter(list, &c, &d);  // after the last: becomes the last
    listAddBefore(list, &a, &e);
    EXPECT_EQ(Forward(list), (std::vector<int>{5, 1, 2, 3, 4}));
    EXPECT_EQ(Backward(list), (std::vector<int>{4, 3, 2, 1, 5}));
    EXPECT_EQ(listLast(list), &d);
    EXPECT_EQ(listFirst(list), &e);
    EXPECT_EQ(list.count, 5);
    EXPECT_EQ(list.lastNode->next, &e);  // circular
}

TEST(LinkedListTest, RemoveMovesLastAndSelection) {
    List list;
    Item a(1), b(2), c(3);
    listAdd(list, &a);
    listAdd(list, &b);
    listAdd(list, &c);
    list.selected = &b;
    listRemove(list, &b);
    EXPECT_EQ(list.selected, &a);
    EXPECT_EQ(Forward(list), (std::vector<int>{1, 3}));
    listRemove(list, &c);
    EXPECT_EQ(list.lastNode, &a);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(listPop(list), &a);
    EXPECT_EQ(list.lastNode, nullptr);
    EXPECT_EQ(list.selected, nullptr);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(listPop(list), nullptr);
    EXPECT_EQ(listNext(list, nullptr), nullptr);
    EXPECT_EQ(listPrev(list, nullptr), nullptr);
}

TEST(LinkedListTest, ManyOperationsKeepLinksConsistent) {
    std::vector<Item> items;
    for (int i = 0; i < 50; ++i) items.emplace_back(i);
    List list;
    std::vector<int> model;
    unsigned seed = 7;
    for (int step = 0; step < 2000; ++step) {
        seed = seed * 1103515245u + 12345u;
        int i = int(seed >> 16) % 50;
        auto pos = std::find(model.begin(), model.end(), i);
        if (pos == model.end()) {
            listAdd(list, &items[size_t(i)]);
            model.push_back(i);
        } else {
            listRemove(list, &items[size_t(i)]);
            model.erase(pos);
        }
        ASSERT_EQ(Forward(list), model);
        ASSERT_EQ(list.count, int(model.size()));
    }
}

} // namespace
} // namespace vx
