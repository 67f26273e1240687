// HashTable<std::string>, the table behind the configuration and the tag lists, side by side
// with std::unordered_map<std::string, std::string> on 10,000 plant tag names: filling a
// table, looking every name up (present and absent), and listing the keys.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "core/hashtable.h"
#include "plant_tag_names.h"

namespace {

constexpr size_t kTags = 10000;

const std::vector<std::string>& Names() {
    static const std::vector<std::string> names = hdq::bench::PlantTagNames(kTags);
    return names;
}

// Names that are not in the table but look like those that are, so a miss walks a real chain.
const std::vector<std::string>& Strangers() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n = hdq::bench::PlantTagNames(kTags);
        for (std::string& s : n) s += "_X";
        return n;
    }();
    return names;
}

// The tag lists are made with 4096 buckets (the tag selection and the request's filter).
hdq::HashTable<std::string> FilledHashTable() {
    hdq::HashTable<std::string> table;
    table.SetSize(4096);
    for (size_t i = 0; i < Names().size(); ++i) table.Add(Names()[i], "TAGNAME_" + std::to_string(i + 1));
    return table;
}

std::unordered_map<std::string, std::string> FilledMap() {
    std::unordered_map<std::string, std::string> map;
    for (size_t i = 0; i < Names().size(); ++i) map.emplace(Names()[i], "TAGNAME_" + std::to_string(i + 1));
    return map;
}

void Insert_HashTable(benchmark::State& state) {
    for (auto _ : state) {
        hdq::HashTable<std::string> table = FilledHashTable();
        benchmark::DoNotOptimize(table.Count());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTags));
}

void Insert_UnorderedMap(benchmark::State& state) {
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> map = FilledMap();
        benchmark::DoNotOptimize(map.size());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTags));
}

void Lookup_HashTable(benchmark::State& state) {
    const hdq::HashTable<std::string> table = FilledHashTable();
    for (auto _ : state) {
        size_t found = 0;
        for (const std::string& n : Names()) found += table.Exists(n);
        for (const std::string& n : Strangers()) found += table.Exists(n);
        benchmark::DoNotOptimize(found);
        if (found != kTags) state.SkipWithError("lookup gave a wrong answer");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTags * 2));
}

void Lookup_UnorderedMap(benchmark::State& state) {
    const std::unordered_map<std::string, std::string> map = FilledMap();
    for (auto _ : state) {
        size_t found = 0;
        for (const std::string& n : Names()) found += map.count(n);
        for (const std::string& n : Strangers()) found += map.count(n);
        benchmark::DoNotOptimize(found);
        if (found != kTags) state.SkipWithError("lookup gave a wrong answer");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTags * 2));
}

void Keys_HashTable(benchmark::State& state) {
    const hdq::HashTable<std::string> table = FilledHashTable();
    for (auto _ : state) {
        std::vector<std::string> keys = table.Keys();
        benchmark::DoNotOptimize(keys.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTags));
}

void Keys_UnorderedMap(benchmark::State& state) {
    const std::unordered_map<std::string, std::string> map = FilledMap();
    for (auto _ : state) {
        std::vector<std::string> keys;
        keys.reserve(map.size());
        for (const auto& entry : map) keys.push_back(entry.first);
        benchmark::DoNotOptimize(keys.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTags));
}

}  // namespace

BENCHMARK(Insert_HashTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(Insert_UnorderedMap)->Unit(benchmark::kMicrosecond);
BENCHMARK(Lookup_HashTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(Lookup_UnorderedMap)->Unit(benchmark::kMicrosecond);
BENCHMARK(Keys_HashTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(Keys_UnorderedMap)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
