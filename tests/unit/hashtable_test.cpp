#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/hashtable.h"

namespace hdq {
namespace {

using Table = HashTable<std::string>;
using Strings = std::vector<std::string>;

// "number description" of the VrxError that f raises, or "" when it raises none.
std::string Raised(const std::function<void()>& f) {
    try {
        f();
    } catch (const VrxError& e) {
        return std::to_string(e.Number()) + " " + e.Description();
    }
    return "";
}

// The INI file is written in this order, so a chain that loses its order reorders the file.
TEST(HashTable, ListsKeysByBucketThenInChainOrderThroughRemovesAndReAdds) {
    Table t;
    // "A" hashes to 0x41 and "A@" to 0x4041; both leave 0x41 modulo 1024.
    ASSERT_EQ(t.BucketOf("A"), t.BucketOf("A@"));
    ASSERT_LT(t.BucketOf("0"), t.BucketOf("A"));
    for (const char* k : {"A", "A@", "0"}) t.Add(k, k);
    EXPECT_EQ((Strings{"0", "A", "A@"}), t.Keys());
    t.Remove("A");
    t.Add("A", "again");
    EXPECT_EQ((Strings{"0", "A@", "A"}), t.Keys());
    EXPECT_EQ((Strings{"0", "A@", "again"}), t.Values());

    t.SetSize(1);  // one bucket: every key shares a chain
    for (const char* k : {"a", "b", "c", "d"}) t.Add(k, k);
    t.Remove("b");  // from the middle
    t.Remove("d");  // from the end
    t.Add("e", "e");
    EXPECT_EQ((Strings{"a", "c", "e"}), t.Keys());
}

TEST(HashTable, GrowsByAChunkWhenTheSlotsRunOutKeepingEveryEntryReachable) {
    Table t;
    t.SetSize(16, 4, 2);
    for (int i = 0; i < 4; ++i) t.Add(std::to_string(i), "v" + std::to_string(i));
    EXPECT_EQ(4, t.Capacity());
    t.Add("4", "v4");
    EXPECT_EQ(6, t.Capacity());
    for (int i = 0; i <= 4; ++i) EXPECT_EQ("v" + std::to_string(i), t.Item(std::to_string(i))) << i;
}

TEST(HashTable, FailedOperationsRaiseTheirNumbersAndLeaveTheTableAsItWas) {
    Table t;
    t.Add("k", "old");
    t.Add("m", "other");
    const Strings keys = t.Keys();
    const int32_t free = t.FreeSlot();
    const std::pair<std::function<void()>, const char*> failures[] = {
        {[&] { t.Add("k", "new"); }, "457 This key is already associated with an element of this collection"},
        {[&] { t.Remove("missing"); }, "5 Invalid procedure call or argument"},
        {[&] { t.SetSize(0); }, "5 Invalid procedure call or argument"},
        {[&] { t.SetIgnoreCase(true); }, "1001 The Hash Table isn't empty"},
        {[&] { t.Add("", "v"); }, "1001 Invalid key"},
        {[&] { (void)t.Item(""); }, "1001 Invalid key"}};
    for (const auto& [op, raised] : failures) EXPECT_EQ(raised, Raised(op));
    EXPECT_EQ(1024, t.HashSize());
    EXPECT_FALSE(t.IgnoreCase());
    EXPECT_EQ("old", t.Item("k"));
    EXPECT_EQ(keys, t.Keys());
    EXPECT_EQ(free, t.FreeSlot());
}

TEST(HashTable, KeysWithANegativeHashLandInARealBucket) {
    // A byte of 0x80 or more in the fourth position of a word sets the sign bit.
    const std::string a = "abc\x80";
    const std::string b = "TAG\xFF" "TAG\x7F" "x";
    Table t;
    Table small;
    small.SetSize(7);
    for (Table* table : {&t, &small}) {
        for (const auto& k : {a, b}) {
            ASSERT_LT(Table::KeyHash(k), 0);
            EXPECT_GE(table->BucketOf(k), 0);
            EXPECT_LT(table->BucketOf(k), table->HashSize());
            table->Add(k, k);
        }
        table->Remove(a);
        EXPECT_FALSE(table->Exists(a));
        EXPECT_EQ(b, table->Item(b));
    }
}

}  // namespace
}  // namespace hdq
