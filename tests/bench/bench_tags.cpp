// ">>" in the tag selection with a big dictionary: the hash-set membership that TagSelection
// uses, side by side with a scan of the filtered list for every tag (what a list box search
// per tag would cost). Run both in one program so the ratio is measured on the same machine
// at the same moment.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/hashtable.h"
#include "settings/tag_selection.h"

namespace {

std::vector<std::string> TagNames(int n) {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) names.push_back("AREA" + std::to_string(i % 97) + "_FT" + std::to_string(i));
    return names;
}

// The left list's tags, with a tenth of them already chosen.
struct Lists {
    explicit Lists(int n) : all(TagNames(n)) {
        for (size_t i = 0; i < all.size(); i += 10) chosen.push_back(all[i]);
    }
    std::vector<std::string> all;
    std::vector<std::string> chosen;
};

void AddAllWithHashSet(benchmark::State& state) {
    const Lists lists(static_cast<int>(state.range(0)));
    hdq::HashTable<std::string> allTable, filterTable;
    allTable.SetSize(4096);
    filterTable.SetSize(4096);
    for (size_t i = 0; i < lists.all.size(); ++i) allTable.Add("TAGNAME_" + std::to_string(i + 1), lists.all[i]);
    for (size_t i = 0; i < lists.chosen.size(); ++i) filterTable.Add("TAGNAME_" + std::to_string(i + 1), lists.chosen[i]);
    hdq::TagSelection selection;
    selection.SetAllTagList(&allTable);
    selection.SetFilterTagList(&filterTable);
    for (auto _ : state) {
        state.PauseTiming();
        selection.Init();
        state.ResumeTiming();
        benchmark::DoNotOptimize(selection.AddAll());
    }
    state.counters["tags"] = static_cast<double>(lists.all.size());
}

void AddAllWithScanPerTag(benchmark::State& state) {
    const Lists lists(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<std::string> filtered = lists.chosen;
        size_t added = 0;
        for (const std::string& tag : lists.all) {
            bool found = false;
            for (const std::string& entry : filtered) {
                if (entry == tag) {
                    found = true;
                    break;
                }
            }
            if (!found) {
                filtered.push_back(tag);
                ++added;
            }
        }
        benchmark::DoNotOptimize(added);
    }
    state.counters["tags"] = static_cast<double>(lists.all.size());
}

}  // namespace

BENCHMARK(AddAllWithHashSet)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(AddAllWithScanPerTag)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
