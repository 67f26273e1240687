#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/hashtable.h"

namespace hdq {
namespace {

using Table = HashTable<std::string>;
using Strings = std::vector<std::string>;

std::string Key(int i) { return "K" + std::to_string(i); }

// Runs f, expecting a VrxError with the given number; returns its description.
template <typename F>
std::string ExpectError(long number, F&& f) {
    try {
        f();
    } catch (const VrxError& e) {
        EXPECT_EQ(number, e.Number());
        return e.Description();
    }
    ADD_FAILURE() << "no VrxError raised";
    return {};
}

TEST(HashTable, HashesKeysAsXorOfLittleEndianWords) {
    EXPECT_EQ(0x44434204, Table::KeyHash("ABCDE"));
    EXPECT_EQ(0x41, Table::KeyHash("A"));
    // Equal words cancel out.
    EXPECT_EQ(0, Table::KeyHash("WXYZWXYZ"));
}

TEST(HashTable, NewTableHasDefaultSizesAndGrowsByAChunkAtThe2049thEntry) {
    Table t;
    EXPECT_EQ(1024, t.HashSize());
    EXPECT_EQ(2048, t.Capacity());
    EXPECT_EQ(1, t.FreeSlot());
    for (int i = 0; i < 2048; ++i) t.Add(Key(i), std::to_string(i));
    EXPECT_EQ(2048, t.Capacity());
    EXPECT_EQ(0, t.FreeSlot());

    t.Add("K2048", "2048");
    EXPECT_EQ(3072, t.Capacity());
    EXPECT_EQ(2049, t.Count());
    // Entries made before the growth are still reachable through their chains.
    for (int i = 0; i <= 2048; ++i) {
        ASSERT_EQ(std::to_string(i), t.Item(Key(i))) << i;
    }
}

TEST(HashTable, SetSizeEmptiesTheTableKeepingUnsetSizesAndRefusesABucketCountBelowOne) {
    Table t;
    t.Add("a", "1");
    t.SetSize(4096);
    EXPECT_EQ(4096, t.HashSize());
    EXPECT_EQ(2048, t.Capacity());
    EXPECT_EQ(2048, t.ListSize());
    EXPECT_EQ(1024, t.ChunkSize());
    EXPECT_EQ(0, t.Count());
    EXPECT_FALSE(t.Exists("a"));
    t.Add("a", "1");
    ExpectError(5, [&] { t.SetSize(0); });  // below one bucket: refused, table kept
    EXPECT_EQ(4096, t.HashSize());
    EXPECT_EQ("1", t.Item("a"));

    t.SetSize(16, 4, 2);
    for (int i = 0; i < 5; ++i) t.Add(std::to_string(i), "");
    EXPECT_EQ(6, t.Capacity());

    // RemoveAll brings the slot array back to the list size.
    t.RemoveAll();
    EXPECT_EQ(4, t.Capacity());
    EXPECT_EQ(16, t.HashSize());
    EXPECT_EQ(0, t.Count());
}

TEST(HashTable, KeysInOneBucketComeBackInInsertionOrderAndAReAddedKeyGoesLast) {
    Table t;
    // "A" hashes to 0x41 and "A@" to 0x4041; both leave 0x41 modulo 1024.
    ASSERT_EQ(t.BucketOf("A"), t.BucketOf("A@"));
    ASSERT_LT(t.BucketOf("0"), t.BucketOf("A"));
    t.Add("A", "first");
    t.Add("A@", "second");
    t.Add("0", "lower bucket");
    EXPECT_EQ((Strings{"0", "A", "A@"}), t.Keys());
    EXPECT_EQ((Strings{"lower bucket", "first", "second"}), t.Values());

    t.Remove("A");
    EXPECT_EQ((Strings{"0", "A@"}), t.Keys());
    t.Add("A", "again");
    EXPECT_EQ((Strings{"0", "A@", "A"}), t.Keys());
    EXPECT_EQ((Strings{"lower bucket", "second", "again"}), t.Values());
    EXPECT_EQ("again", t.Item("A"));
}

TEST(HashTable, RemovingKeepsTheRestOfAChainLinkedAndRecyclesTheFreedSlotFirst) {
    Table t;
    t.Add("x", "1");
    const int32_t bucket = t.BucketOf("x");
    const int32_t slot = t.BucketHead(bucket);
    ASSERT_NE(0, slot);
    t.Remove("x");
    EXPECT_EQ(0, t.BucketHead(bucket));
    EXPECT_EQ(slot, t.FreeSlot());
    t.Add("y", "2");
    EXPECT_EQ(slot, t.BucketHead(t.BucketOf("y")));

    t.SetSize(1);  // one bucket: every key shares a chain
    for (const char* k : {"a", "b", "c", "d"}) t.Add(k, k);
    t.Remove("c");
    t.Remove("d");
    t.Add("e", "e");
    EXPECT_EQ((Strings{"a", "b", "e"}), t.Keys());
    EXPECT_TRUE(t.Exists("e"));
    EXPECT_FALSE(t.Exists("c"));
}

TEST(HashTable, FailedOperationsRaiseTheirNumbersAndLeaveTheTableAsItWas) {
    Table t;
    t.Add("k", "old");
    t.Add("m", "other");
    const Strings keys = t.Keys();
    const int32_t free = t.FreeSlot();

    EXPECT_EQ("This key is already associated with an element of this collection",
              ExpectError(457, [&] { t.Add("k", "new"); }));
    EXPECT_EQ("Invalid procedure call or argument", ExpectError(5, [&] { t.Remove("missing"); }));
    for (auto op : std::vector<std::function<void()>>{
             [&] { t.Add("", "v"); }, [&] { t.Remove(""); }, [&] { t.SetItem("", "v"); },
             [&] { (void)t.Exists(""); }, [&] { (void)t.Item(""); }}) {
        EXPECT_EQ("Invalid key", ExpectError(1001, op));
    }
    EXPECT_EQ("The Hash Table isn't empty", ExpectError(1001, [&] { t.SetIgnoreCase(true); }));

    EXPECT_FALSE(t.IgnoreCase());
    EXPECT_EQ("old", t.Item("k"));
    EXPECT_EQ(2, t.Count());
    EXPECT_EQ(keys, t.Keys());
    EXPECT_EQ(free, t.FreeSlot());
}

TEST(HashTable, SetItemAddsOrReplacesAndKeysDifferingInCaseAreDistinctUnlessCaseIsIgnored) {
    Table exact;
    EXPECT_EQ("", exact.Item("nothing"));
    exact.SetItem("new", "1");
    exact.SetItem("new", "2");
    EXPECT_EQ("2", exact.Item("new"));
    exact.Add("abc", "lower");
    exact.Add("ABC", "upper");
    EXPECT_EQ(3, exact.Count());
    EXPECT_EQ("lower", exact.Item("abc"));

    Table folded;
    folded.SetIgnoreCase(true);
    folded.Add("abc", "lower");
    ExpectError(457, [&] { folded.Add("ABC", "upper"); });
    folded.SetItem("Abc", "mixed");
    EXPECT_EQ(1, folded.Count());
    EXPECT_EQ((Strings{"ABC"}), folded.Keys());
    EXPECT_EQ("mixed", folded.Item("aBC"));
    folded.Remove("abc");
    EXPECT_EQ(0, folded.Count());
}

TEST(HashTable, KeysWithANegativeHashLandInARealBucket) {
    Table t;
    // A byte of 0x80 or more in the fourth position of a word sets the sign bit.
    const std::string a = "abc\x80";
    const std::string b = "TAG\xFF" "TAG\x7F" "x";
    ASSERT_LT(Table::KeyHash(a), 0);
    ASSERT_LT(Table::KeyHash(b), 0);
    t.Add(a, "a");
    t.Add(b, "b");
    EXPECT_EQ("a", t.Item(a));
    EXPECT_EQ("b", t.Item(b));
    EXPECT_EQ(2u, t.Keys().size());
    t.Remove(a);
    EXPECT_FALSE(t.Exists(a));
    EXPECT_TRUE(t.Exists(b));

    Table small;
    small.SetSize(7);
    for (const Table* table : {&t, &small}) {
        for (const auto& k : {a, b}) {
            EXPECT_GE(table->BucketOf(k), 0);
            EXPECT_LT(table->BucketOf(k), table->HashSize());
        }
    }
}

}  // namespace
}  // namespace hdq
