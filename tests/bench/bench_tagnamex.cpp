// Reading a big tagname.x: TagnameXParser::ReadTAGNAMEXfile against a plain whole-file read of
// the same file into memory, so the ratio shows what the parse adds to the unavoidable I/O.
// Both run in one program on one file; the page cache is warm for both after the first pass.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/shared.h"
#include "plant_tag_names.h"
#include "tagdict/tagnamex.h"
#include "tagnamex_writer.h"

namespace {

constexpr size_t kRecords = 100000;

// A dictionary of 100,000 records in the temporary folder; seven of eight are trended, the
// rest carry trend byte 0 and are passed over, as analog and discrete tags without history are.
class Dictionary {
public:
    Dictionary() : path_("/tmp/hdq_bench_tagname_" + std::to_string(::getpid()) + ".x") {
        const std::vector<std::string> names = hdq::bench::PlantTagNames(kRecords);
        std::vector<hdq::test::TagRecord> records;
        records.reserve(names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            hdq::test::TagRecord r;
            r.name = names[i];
            r.description = "Loop " + std::to_string(i) + " process value, engineering units";
            r.trendByte = static_cast<uint8_t>(i % 8 == 7 ? 0 : (i % 2 ? 1 : 9));
            r.byte96 = static_cast<uint8_t>(i % 5);
            records.push_back(r);
        }
        hdq::test::WriteTagnameX(path_, records);
    }
    ~Dictionary() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const Dictionary& TheDictionary() {
    static const Dictionary dictionary;
    return dictionary;
}

// The reader takes VERBOSITY from the shared configuration at construction; 0 is the shipped
// default, under which no diagnostic line is written per record.
void DefineQuietConfiguration() {
    static const bool done = [] {
        hdq::CreateSharedObjects();
        hdq::AppConfig().DefineTree("VERBOSITY", "0");
        return true;
    }();
    (void)done;
}

void PlainWholeFileRead(benchmark::State& state) {
    const std::string& path = TheDictionary().path();
    for (auto _ : state) {
        // The quickest plain read: size the buffer once, then one read into it.
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes.data());
        if (bytes.size() != 512 + kRecords * 512) state.SkipWithError("short read");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(512 + kRecords * 512));
}

void ReadTagnameXFile(benchmark::State& state) {
    DefineQuietConfiguration();
    const std::string& path = TheDictionary().path();
    for (auto _ : state) {
        hdq::TagnameXParser reader;
        if (!reader.ReadTAGNAMEXfile(path)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(reader.Count());
        if (reader.Count() != static_cast<int32_t>(kRecords - kRecords / 8)) state.SkipWithError("wrong tag count");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(512 + kRecords * 512));
    state.counters["records"] = static_cast<double>(kRecords);
}

}  // namespace

BENCHMARK(PlainWholeFileRead)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadTagnameXFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
