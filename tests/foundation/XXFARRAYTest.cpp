// Growth rules of the growable arrays and list ownership.
#include <gtest/gtest.h>

#include "foundation/GLIST.h"
#include "foundation/XXFARRAY.h"
#include "tests/support/CaptureSink.h"

namespace {

TEST(XXFARRAY, AtGrowsByIncrementAndFillsWithNullValue) {
    XXFARRAY<long> a;
    a.nullVal = 7;
    EXPECT_EQ(a.capacity, 0);
    a.at(5) = 1;
    EXPECT_EQ(a.capacity, 10);
    EXPECT_EQ(a.count, 6);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(a[i], i == 5 ? 1 : 7) << "slot " << i;
}

TEST(XXFARRAY, GrowthTakesTheLargestOfIncrementShortfallAndHalfTheSize) {
    struct Row {
        int32_t increment, first, request, expected;
    };
    const Row rows[] = {
        {10, 1, 11, 20},   // one slot short: a whole increment
        {10, 1, 35, 35},   // far short: exactly what was asked
        {40, 40, 41, 80},
        {1, 1, 2, 2},
        {10, 100, 101, 150},  // a large array grows by half its size
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "increment " << r.increment << " request " << r.request);
        XXFARRAYI<char> a;
        a.increment = r.increment;
        ASSERT_TRUE(a.chk(r.first));
        ASSERT_TRUE(a.chk(r.request));
        EXPECT_EQ(a.capacity, r.expected);
        EXPECT_EQ(a.count, 0) << "chk must not change count";
    }
}

TEST(XXFARRAY, GrowthKeepsElementsAndFillsTheRest) {
    XXFARRAYI<int> a;
    for (int i = 0; i < 25; ++i) a.at(i) = i * 3;
    ASSERT_EQ(a.count, 25);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(a[i], i * 3);
    for (int i = 25; i < a.capacity; ++i) EXPECT_EQ(a[i], 0);
}

TEST(XXFARRAY, NegativeSizeIsReportedAndChangesNothing) {
    CaptureSink sink;
    XXFARRAYI<int> a;
    a.at(2) = 4;
    EXPECT_FALSE(a.chk(-1));
    ASSERT_EQ(sink.errors.size(), 1u);
    EXPECT_EQ(sink.errors[0], "XXFARRAY<T>::chk: N < 0");
    EXPECT_EQ(a.capacity, 10);
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(a[2], 4);
}

TEST(XXFARRAY, ImpossibleGrowthIsReportedAndKeepsStorage) {
    CaptureSink sink;
    struct Huge {
        char bytes[1 << 20];
    };
    XXFARRAY<Huge> a;
    a.at(0).bytes[0] = 9;
    EXPECT_FALSE(a.chk(1 << 22));   // four terabytes
    EXPECT_TRUE(sink.sawError("XXFARRAY<T>::chk: elements NULL"));
    EXPECT_EQ(a.capacity, 10);
    EXPECT_EQ(a[0].bytes[0], 9);
    // A failed at() hands back slot 0 of the unchanged storage.
    EXPECT_EQ(&a.at(-5), &a[0]);
}

TEST(XXFARRAY, ClearKeepsStorageAndResetsSlots) {
    XXFARRAY<int> a;
    a.nullVal = -1;
    a.at(3) = 5;
    a.clear();
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(a.capacity, 10);
    EXPECT_EQ(a[3], -1);
}

TEST(XXFARRAY, CopyTakesIncrementCapacityAndCount) {
    XXFARRAYI<int> a;
    a.increment = 4;
    a.at(6) = 2;
    XXFARRAYI<int> b(a);
    EXPECT_EQ(b.increment, 4);
    EXPECT_EQ(b.capacity, a.capacity);
    EXPECT_EQ(b.count, 7);
    EXPECT_EQ(b[6], 2);
    b[6] = 3;
    EXPECT_EQ(a[6], 2) << "copies do not share storage";
    XXFARRAYI<int> empty;
    b = empty;   // a source without storage: the copy stops and keeps what it had
    EXPECT_EQ(b[6], 3);
}

struct Counted {
    static int alive;
    Counted() { ++alive; }
    virtual ~Counted() { --alive; }
};
int Counted::alive = 0;

TEST(LIST, DeletesOwnedItemsButNotBorrowedOnes) {
    Counted borrowed;
    {
        LIST<Counted> list;
        list.add(std::make_unique<Counted>());
        list.borrow(&borrowed);
        list.add(std::make_unique<Counted>());
        EXPECT_EQ(Counted::alive, 3);
        EXPECT_TRUE(list.remove(0));
        EXPECT_EQ(Counted::alive, 2);
        EXPECT_EQ(list.first(), &borrowed);
        auto back = list.release(1);
        EXPECT_EQ(list.count(), 1);
        EXPECT_EQ(Counted::alive, 2) << "release hands the item back alive";
    }
    EXPECT_EQ(Counted::alive, 1) << "only the borrowed item outlives the list";
}

TEST(LIST, MoveAndIterate) {
    ALIST<int> list;
    int v[4] = {0, 1, 2, 3};
    for (int& x : v) list.add(&x);
    EXPECT_TRUE(list.move(0, 3));
    EXPECT_FALSE(list.move(0, 4));
    std::vector<int> seen;
    LISTITER<int> it(list);
    while (int* p = it.next()) seen.push_back(*p);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(list.at(4), nullptr);
    EXPECT_EQ(list.at(-1), nullptr);
}

}  // namespace
