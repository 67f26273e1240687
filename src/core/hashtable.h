#pragma once
// HashTable: string keys to values, a chained hash table whose chains live in one growable
// slot array with a free list, linked by index so growth keeps every slot index valid.
// Keys() and Values() come in bucket order, then insertion order within a bucket; the
// configuration file's line order depends on it.
//
// Errors (hdq::VrxError): 1001 "Invalid key" (empty key), 1001 "The Hash Table isn't empty"
// (IgnoreCase while entries exist), 457 (Add of an existing key), 5 (Remove of a missing key).
// An error leaves the table as it was.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "core/error.h"

namespace hdq {

template <typename V>
class HashTable {
public:
    HashTable() { SetSize(1024, 2048, 1024); }

    // (Re)initialises, discarding all entries. listSize/chunkSize <= 0 keep the current value.
    void SetSize(int32_t hashSize, int32_t listSize = 0, int32_t chunkSize = 0);
    bool IgnoreCase() const { return ignoreCase_; }
    void SetIgnoreCase(bool value);

    bool Exists(std::string_view key) const;
    void Add(std::string_view key, V value);
    V Item(std::string_view key) const;                 // V{} when missing
    void SetItem(std::string_view key, V value);        // adds when missing
    void Remove(std::string_view key);
    void RemoveAll() { SetSize(hashSize_, listSize_, chunkSize_); }
    int32_t Count() const { return count_; }
    std::vector<std::string> Keys() const;
    std::vector<V> Values() const;

    // Introspection for tests and diagnostics.
    int32_t HashSize() const { return hashSize_; }
    int32_t ListSize() const { return listSize_; }
    int32_t ChunkSize() const { return chunkSize_; }
    int32_t Capacity() const { return static_cast<int32_t>(slots_.size()) - 1; }
    int32_t FreeSlot() const { return freeSlot_; }
    int32_t BucketHead(int32_t bucket) const { return buckets_[static_cast<size_t>(bucket)]; }
    static int32_t KeyHash(std::string_view key);       // XOR of little-endian 32-bit words
    int32_t BucketOf(std::string_view key) const;       // always within 0..HashSize()-1

private:
    struct Slot {
        std::string key;
        V value{};
        int32_t next = 0;
    };
    // Implemented below by the owner of this file.
    int32_t FindSlot(std::string_view key, bool& create, int32_t& bucket, int32_t& previous) const;
    int32_t TakeFreeSlot();
    void LinkNewSlot(int32_t slot, std::string_view key, int32_t bucket, int32_t previous);
    void GrowSlots(int32_t n);

    std::vector<int32_t> buckets_;
    std::vector<Slot> slots_;
    int32_t freeSlot_ = 0;
    int32_t hashSize_ = 1024;
    int32_t listSize_ = 2048;
    int32_t chunkSize_ = 1024;
    int32_t count_ = 0;
    bool ignoreCase_ = false;
};

}  // namespace hdq

// IMPLEMENTATION-PENDING
