// The portable core's costs that grow with the plant, each measured side by side with a
// yardstick in one run: HashTable against std::unordered_map, the tagname.x read against a
// plain read of the same file, ">>" of the tag selection against a scan per tag, and a
// keystroke in the tag selection's filter box against a bare search of the same names.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/shared.h"
#include "core/hashtable.h"
#include "plant_tag_names.h"
#include "settings/tag_selection.h"
#include "tagdict/tagnamex.h"
#include "tagnamex_writer.h"

namespace {

// No two alike: the first 10,000 fill the tables, the next 10,000 are looked up as absent names
// that look like present ones, so that a miss walks a real chain; ">>" takes all 50,000.
const std::vector<std::string> kTags = hdq::bench::PlantTagNames(50000);
constexpr size_t kTableTags = 10000;

// HashTable<std::string>, the table behind the configuration and the tag lists, side by side
// with std::unordered_map: filling a table, looking names up, listing the keys. The two have
// one face (Add, Exists, Keys), so that one function times an operation on both.
struct HashTableSide : hdq::HashTable<std::string> {
    HashTableSide() { SetSize(4096); }  // as the tag selection and the request's filter make theirs
};

struct UnorderedMapSide : std::unordered_map<std::string, std::string> {
    void Add(const std::string& key, std::string value) { emplace(key, std::move(value)); }
    bool Exists(const std::string& key) const { return count(key) != 0; }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        keys.reserve(size());
        for (const auto& entry : *this) keys.push_back(entry.first);
        return keys;
    }
};

template <class Side>
Side Filled() {
    Side side;
    for (size_t i = 0; i < kTableTags; ++i) side.Add(kTags[i], "TAGNAME_" + std::to_string(i + 1));
    return side;
}

template <class Side>
void Insert(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Filled<Side>());
}

template <class Side>
void Lookup(benchmark::State& state) {
    const Side side = Filled<Side>();
    for (auto _ : state) {
        size_t found = 0;
        for (size_t i = 0; i < kTableTags; ++i) found += side.Exists(kTags[i]) + side.Exists(kTags[kTableTags + i]);
        if (found != kTableTags) state.SkipWithError("lookup gave a wrong answer");
    }
}

template <class Side>
void Keys(benchmark::State& state) {
    const Side side = Filled<Side>();
    for (auto _ : state) benchmark::DoNotOptimize(side.Keys());
}

// A tagname.x of 100,000 records read by TagnameXParser and by a plain whole-file read, so the
// ratio shows what the parse adds to the unavoidable I/O. Seven of eight records are trended;
// the rest carry trend byte 0 and are passed over, as tags without history are.
constexpr size_t kRecords = 100000;

const struct Dictionary {
    const std::string path = "/tmp/hdq_bench_tagname_" + std::to_string(::getpid()) + ".x";
    Dictionary() {
        std::vector<hdq::tools::TagRecord> records;
        for (const std::string& name : hdq::bench::PlantTagNames(kRecords)) {
            const size_t i = records.size();
            records.push_back({name, "Loop " + std::to_string(i) + " process value, engineering units",
                               static_cast<uint8_t>(i % 8 == 7 ? 0 : i % 2 ? 1 : 9)});
        }
        hdq::tools::WriteTagnameX(path, records);
    }
    ~Dictionary() { std::remove(path.c_str()); }
} kDictionary;

void PlainWholeFileRead(benchmark::State& state) {
    for (auto _ : state) {
        // The quickest plain read: size the buffer once, then one read into it.
        std::ifstream in(kDictionary.path, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
}

void ReadTagnameXFile(benchmark::State& state) {
    // The reader takes VERBOSITY from the shared configuration when it is made; 0 is the
    // shipped default, under which no diagnostic line is written per record.
    hdq::AppConfig().DefineTree("VERBOSITY", "0");
    for (auto _ : state) {
        hdq::TagnameXParser reader;
        const bool read = reader.ReadTAGNAMEXfile(kDictionary.path);
        if (!read || reader.Count() != int32_t{kRecords * 7 / 8}) state.SkipWithError("the read failed or miscounted");
    }
}

// ">>" with 50,000 tags, a tenth of them already chosen: the hash-set membership that
// TagSelection uses, against a scan of the filtered list per tag (a list box search per tag).
void AddAllWithHashSet(benchmark::State& state) {
    HashTableSide all, chosen;
    for (size_t i = 0; i < kTags.size(); ++i) all.Add("TAGNAME_" + std::to_string(i + 1), kTags[i]);
    for (size_t i = 0; i < kTags.size(); i += 10) chosen.Add("TAGNAME_" + std::to_string(i / 10 + 1), kTags[i]);
    hdq::TagSelection selection;
    selection.SetAllTagList(&all);
    selection.SetFilterTagList(&chosen);
    for (auto _ : state) {
        state.PauseTiming();
        selection.Init();
        state.ResumeTiming();
        if (selection.AddAll() != kTags.size() * 9 / 10) state.SkipWithError("'>>' added a wrong number of tags");
    }
}

void AddAllWithScanPerTag(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::string> filtered;
        for (size_t i = 0; i < kTags.size(); i += 10) filtered.push_back(kTags[i]);
        for (const std::string& tag : kTags) {
            if (std::find(filtered.begin(), filtered.end(), tag) == filtered.end()) filtered.push_back(tag);
        }
        benchmark::DoNotOptimize(filtered.data());
    }
}

// One keystroke in the filter box over 50,000 plant tag names, as the dialog makes it before it
// sets the list's row count. The worst keystroke is a text that does not continue the last one
// (a paste, a deleted letter), which looks at every name; typing on looks only at what is shown;
// clearing the box shows every name again.
struct FilterBox {
    HashTableSide all, chosen;
    hdq::TagSelection selection;
    FilterBox() {
        for (size_t i = 0; i < kTags.size(); ++i) all.Add("TAGNAME_" + std::to_string(i + 1), kTags[i]);
        selection.SetAllTagList(&all);
        selection.SetFilterTagList(&chosen);
        selection.Init();
    }
};

void FilterKeystrokeScanningAll(benchmark::State& state) {
    FilterBox box;
    const char* const texts[] = {"tic2", "pic2"};  // each replaces the other: every name is looked at
    size_t n = 0;
    for (auto _ : state) {
        box.selection.SetFilterText(texts[n++ % 2]);
        benchmark::DoNotOptimize(box.selection.ShownCount());
    }
    if (box.selection.ShownCount() == 0) state.SkipWithError("the filter found nothing");
}

// The keystroke that turns the box's text `before` into `typed`.
void FilterKeystrokeFrom(benchmark::State& state, const char* before, const char* typed) {
    FilterBox box;
    for (auto _ : state) {
        state.PauseTiming();
        box.selection.SetFilterText(before);
        state.ResumeTiming();
        box.selection.SetFilterText(typed);
        benchmark::DoNotOptimize(box.selection.ShownCount());
    }
}

// The yardstick: the positions of the names holding "TIC2", letter case as typed.
void PlainSubstringScan(benchmark::State& state) {
    std::vector<size_t> shown;
    for (auto _ : state) {
        shown.clear();
        for (size_t i = 0; i < kTags.size(); ++i) {
            if (kTags[i].find("TIC2") != std::string::npos) shown.push_back(i);
        }
        benchmark::DoNotOptimize(shown.data());
    }
}

}  // namespace

BENCHMARK_TEMPLATE(Insert, HashTableSide)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Insert, UnorderedMapSide)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Lookup, HashTableSide)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Lookup, UnorderedMapSide)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Keys, HashTableSide)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(Keys, UnorderedMapSide)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainWholeFileRead)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadTagnameXFile)->Unit(benchmark::kMillisecond);
BENCHMARK(AddAllWithHashSet)->Unit(benchmark::kMillisecond);
BENCHMARK(AddAllWithScanPerTag)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(FilterKeystrokeScanningAll)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterKeystrokeFrom, TypingOn, "t", "ti")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterKeystrokeFrom, Clearing, "tic2", "")->Unit(benchmark::kMillisecond);
BENCHMARK(PlainSubstringScan)->Unit(benchmark::kMillisecond);
