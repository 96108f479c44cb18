#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/TList.h"

namespace {

struct Tracked {
    explicit Tracked(int v, int* deaths = nullptr) : value(v), deaths(deaths) {}
    virtual ~Tracked() {
        if (deaths) ++*deaths;
    }
    int value;
    int* deaths;
};

std::vector<int> contents(TList<Tracked>& list) {
    std::vector<int> out;
    std::unique_ptr<TListIterator<Tracked>> it(list.createIterator());
    while (it->hasNext()) out.push_back(it->next()->value);
    return out;
}

}  // namespace

TEST(TListTest, PushFrontAndBackOrder) {
    Tracked a(1), b(2), c(3);
    TList<Tracked> front, back;
    for (Tracked* t : {&a, &b, &c}) {
        front.pushFront(t, false);
        back.pushBack(t, false);
    }
    EXPECT_EQ(contents(front), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(contents(back), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(back.lastIndex, 2);
    EXPECT_EQ(back.at(1), &b);
    EXPECT_EQ(back.head->advance(2), &c);
}

TEST(TListTest, EmptyListIterator) {
    TList<Tracked> list;
    EXPECT_EQ(list.lastIndex, -1);
    std::unique_ptr<TListIterator<Tracked>> it(list.createIterator());
    EXPECT_FALSE(it->hasNext());
    EXPECT_EQ(it->next(), nullptr);
    EXPECT_EQ(it->index, -1);
}

TEST(TListTest, IteratorInsertPositions) {
    Tracked a(1), b(2), c(3), x(9), y(8), z(7);
    TList<Tracked> list;
    list.pushBack(&a, false);
    list.pushBack(&b, false);
    list.pushBack(&c, false);
    std::unique_ptr<TListIterator<Tracked>> it(list.createIterator());
    it->insert(&x, false);  // before the first node: front
    EXPECT_EQ(contents(list), (std::vector<int>{9, 1, 2, 3}));
    it->next();             // on 9
    it->next();             // on 1
    it->insert(&y, false);  // after the current node
    EXPECT_EQ(contents(list), (std::vector<int>{9, 1, 8, 2, 3}));
    EXPECT_EQ(it->next(), &y);  // the iterator did not move past it
    while (it->hasNext()) it->next();
    it->insert(&z, false);  // on the last node: appended
    EXPECT_EQ(contents(list), (std::vector<int>{9, 1, 8, 2, 3, 7}));
    EXPECT_EQ(list.lastIndex, 5);
    EXPECT_EQ(list.tail->value, &z);
    std::unique_ptr<TListIterator<Tracked>> copy(it->clone());
    EXPECT_EQ(copy->index, it->index);
    EXPECT_EQ(copy->node, it->node);
}

TEST(TListTest, OwnershipOnDestruction) {
    int deaths = 0;
    Tracked keep(1, &deaths);
    {
        TList<Tracked> list;
        list.pushBack(&keep, false);
        list.pushBack(new Tracked(2, &deaths), true);
        list.pushFront(new Tracked(3, &deaths), true);
    }
    EXPECT_EQ(deaths, 2);  // the borrowed element survives
}

TEST(TListTest, UnlinkingOneNodeLeavesTheRest) {
    int deaths = 0;
    TList<Tracked> list;
    list.pushBack(new Tracked(1, &deaths), true);
    TListNode<Tracked>* middle = list.pushBack(new Tracked(2, &deaths), true);
    list.pushBack(new Tracked(3, &deaths), true);
    list.unlinkNode(middle);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(contents(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.lastIndex, 1);
    list.unlinkNode(list.tail);
    list.unlinkNode(list.head);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.tail, nullptr);
    EXPECT_EQ(deaths, 3);
}
