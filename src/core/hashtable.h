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
#include <utility>
#include <vector>
#include "core/error.h"

namespace hdq {

template <typename V>
class HashTable {
public:
    HashTable() { SetSize(1024, 2048, 1024); }

    // (Re)initialises, discarding all entries. listSize/chunkSize <= 0 keep the current value;
    // a hashSize below 1 raises error 5 and keeps the table as it was.
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

    static constexpr const char* kDuplicateKeyText =
        "This key is already associated with an element of this collection";
    static constexpr const char* kInvalidCallText = "Invalid procedure call or argument";

private:
    struct Slot {
        std::string key;
        V value{};
        int32_t next = 0;
    };
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

// ---------------------------------------------------------------------------------------------
// Implementation

template <typename V>
void HashTable<V>::SetSize(int32_t hashSize, int32_t listSize, int32_t chunkSize) {
    // A table without buckets could never place a key; refuse before touching anything so the
    // caller keeps a usable table.
    if (hashSize < 1) throw VrxError(err::InvalidProcedureCall, kInvalidCallText);
    if (listSize <= 0) listSize = listSize_;
    if (chunkSize <= 0) chunkSize = chunkSize_;
    if (listSize < 1 || chunkSize < 1) throw VrxError(err::InvalidProcedureCall, kInvalidCallText);

    // Build the new storage aside, so an allocation failure leaves the old table intact.
    std::vector<int32_t> buckets(static_cast<size_t>(hashSize), 0);
    std::vector<Slot> slots;
    slots.reserve(static_cast<size_t>(listSize) + 1);
    slots.resize(1);
    buckets_.swap(buckets);
    slots_.swap(slots);
    hashSize_ = hashSize;
    listSize_ = listSize;
    chunkSize_ = chunkSize;
    count_ = 0;
    freeSlot_ = 0;
    GrowSlots(listSize_);  // within the reserved capacity: cannot fail
}

template <typename V>
void HashTable<V>::SetIgnoreCase(bool value) {
    if (count_ != 0) throw VrxError(err::HashTable, "The Hash Table isn't empty");
    ignoreCase_ = value;
}

template <typename V>
int32_t HashTable<V>::KeyHash(std::string_view key) {
    uint32_t hash = 0;
    for (size_t i = 0; i < key.size(); i += 4) {
        uint32_t word = 0;
        for (size_t b = 0; b < 4 && i + b < key.size(); ++b) {
            word |= static_cast<uint32_t>(static_cast<unsigned char>(key[i + b])) << (8 * b);
        }
        hash ^= word;
    }
    return static_cast<int32_t>(hash);
}

template <typename V>
int32_t HashTable<V>::BucketOf(std::string_view key) const {
    // Bytes above 0x7F in the fourth byte of a word make the hash negative, and a negative
    // remainder would index before the first bucket.
    int32_t bucket = KeyHash(key) % hashSize_;
    if (bucket < 0) bucket += hashSize_;
    return bucket;
}

template <typename V>
int32_t HashTable<V>::FindSlot(std::string_view key, bool& create, int32_t& bucket,
                               int32_t& previous) const {
    if (key.empty()) throw VrxError(err::HashTable, "Invalid key");
    std::string folded;
    if (ignoreCase_) {
        folded.assign(key);
        for (char& c : folded) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        key = folded;
    }
    bucket = BucketOf(key);
    previous = 0;
    for (int32_t slot = buckets_[static_cast<size_t>(bucket)]; slot != 0;
         slot = slots_[static_cast<size_t>(slot)].next) {
        if (slots_[static_cast<size_t>(slot)].key == key) {
            create = false;
            return slot;
        }
        previous = slot;
    }
    // Creation is left to the non-const callers; the flag tells them a new slot is wanted.
    return 0;
}

template <typename V>
int32_t HashTable<V>::TakeFreeSlot() {
    if (freeSlot_ == 0) GrowSlots(chunkSize_);
    int32_t slot = freeSlot_;
    Slot& s = slots_[static_cast<size_t>(slot)];
    freeSlot_ = s.next;
    s.next = 0;
    ++count_;
    return slot;
}

template <typename V>
void HashTable<V>::LinkNewSlot(int32_t slot, std::string_view key, int32_t bucket, int32_t previous) {
    Slot& s = slots_[static_cast<size_t>(slot)];
    s.key.assign(key);
    if (ignoreCase_) {
        for (char& c : s.key) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (previous != 0) {
        slots_[static_cast<size_t>(previous)].next = slot;
    } else {
        buckets_[static_cast<size_t>(bucket)] = slot;
    }
}

template <typename V>
void HashTable<V>::GrowSlots(int32_t n) {
    const int32_t first = static_cast<int32_t>(slots_.size());
    slots_.resize(slots_.size() + static_cast<size_t>(n));
    const int32_t last = first + n - 1;
    for (int32_t i = first; i < last; ++i) slots_[static_cast<size_t>(i)].next = i + 1;
    slots_[static_cast<size_t>(last)].next = freeSlot_;
    freeSlot_ = first;
}

template <typename V>
bool HashTable<V>::Exists(std::string_view key) const {
    bool create = false;
    int32_t bucket = 0, previous = 0;
    return FindSlot(key, create, bucket, previous) != 0;
}

template <typename V>
void HashTable<V>::Add(std::string_view key, V value) {
    bool create = true;
    int32_t bucket = 0, previous = 0;
    if (FindSlot(key, create, bucket, previous) != 0) {
        throw VrxError(err::DuplicateKey, kDuplicateKeyText);
    }
    // Reserve the slot before linking: if growth fails, nothing has been linked yet.
    int32_t slot = TakeFreeSlot();
    slots_[static_cast<size_t>(slot)].value = std::move(value);
    LinkNewSlot(slot, key, bucket, previous);
}

template <typename V>
V HashTable<V>::Item(std::string_view key) const {
    bool create = false;
    int32_t bucket = 0, previous = 0;
    int32_t slot = FindSlot(key, create, bucket, previous);
    return slot != 0 ? slots_[static_cast<size_t>(slot)].value : V{};
}

template <typename V>
void HashTable<V>::SetItem(std::string_view key, V value) {
    bool create = true;
    int32_t bucket = 0, previous = 0;
    int32_t slot = FindSlot(key, create, bucket, previous);
    if (slot == 0) {
        slot = TakeFreeSlot();
        LinkNewSlot(slot, key, bucket, previous);
    }
    slots_[static_cast<size_t>(slot)].value = std::move(value);
}

template <typename V>
void HashTable<V>::Remove(std::string_view key) {
    bool create = false;
    int32_t bucket = 0, previous = 0;
    int32_t slot = FindSlot(key, create, bucket, previous);
    if (slot == 0) throw VrxError(err::InvalidProcedureCall, kInvalidCallText);
    Slot& s = slots_[static_cast<size_t>(slot)];
    if (previous != 0) {
        slots_[static_cast<size_t>(previous)].next = s.next;
    } else {
        buckets_[static_cast<size_t>(bucket)] = s.next;
    }
    s.next = freeSlot_;
    freeSlot_ = slot;
    --count_;
}

template <typename V>
std::vector<std::string> HashTable<V>::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(static_cast<size_t>(count_));
    for (int32_t head : buckets_) {
        for (int32_t slot = head; slot != 0; slot = slots_[static_cast<size_t>(slot)].next) {
            keys.push_back(slots_[static_cast<size_t>(slot)].key);
        }
    }
    return keys;
}

template <typename V>
std::vector<V> HashTable<V>::Values() const {
    std::vector<V> values;
    values.reserve(static_cast<size_t>(count_));
    for (int32_t head : buckets_) {
        for (int32_t slot = head; slot != 0; slot = slots_[static_cast<size_t>(slot)].next) {
            values.push_back(slots_[static_cast<size_t>(slot)].value);
        }
    }
    return values;
}

}  // namespace hdq
