// How many log bytes one day of hourly requests writes at each verbosity, for a plant of 2,000
// selected tags: the real request session, activity writer and text log, writing into a
// temporary folder, against a HistData stand-in that answers at once. The figure sets how long
// the log folder's cap holds at the highest verbosity; the time is beside the point.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/files.h"
#include "fake_dde.h"
#include "histdata/frmdde.h"
#include "logging/activity.h"
#include "logging/logger.h"
#include "plant_tag_names.h"
#include "tagnamex_writer.h"
#include "temp_folder.h"

namespace {

constexpr size_t kPlantTags = 2000;

// The hour's file as HistData writes it: every tag's column, a row a minute.
std::string HourFile(const std::vector<std::string>& tags) {
    std::string header = "$date,$time";
    std::string values;
    for (const std::string& tag : tags) {
        header += "," + tag;
        values += ",12.5";
    }
    std::string csv = header + "\r\n";
    for (int minute = 0; minute < 60; ++minute) {
        csv += "03/25/2011,00:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) + ":00" + values + "\r\n";
    }
    return csv;
}

uint64_t BytesIn(const std::string& folder) {
    uint64_t total = 0;
    for (const std::string& name : hdq::fsys::ListFiles(folder + "\\*").value_or(std::vector<std::string>{})) {
        total += hdq::fsys::FileSize(folder + "\\" + name).value_or(0);
    }
    return total;
}

// One simulated day (24 hourly cycles, each an Init and one request) at verbosity range(0).
void LogBytesPerDay(benchmark::State& state) {
    const int verbosity = static_cast<int>(state.range(0));
    const std::vector<std::string> tags = hdq::bench::PlantTagNames(kPlantTags);
    uint64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        hdq::tools::TempFolder dir;
        std::vector<hdq::tools::TagRecord> records;
        for (const std::string& tag : tags) records.push_back({tag, "plant value"});
        hdq::tools::WriteTagnameX(dir / "tagname.x", records);
        hdq::fsys::CreateFolder(dir / "cache");  // start-up has made it; a missing one is an error line
        hdq::test::FakeClock clock;  // the program's clock while it lives
        hdq::VRXLoggerTXT log;
        // As start-up sets the program's log.
        log.SetLogPath(dir / "log");
        log.SetHandleFilePath(dir / "bench.log_handle");
        log.SetBufferLength(1);
        log.SetPostfix("_pelomark");
        log.SetVerbosity(static_cast<int16_t>(verbosity));
        log.SetEnabled(true);
        hdq::ActivityLog activity(log);
        // HistData takes every poke and writes the hour's file at WRITEFILE.
        hdq::test::FakeDdeChannel channel;
        channel.csvContents = {HourFile(tags)};
        hdq::test::FakeHistDataHost host(clock);
        const hdq::DdeSettings settings{"600", "tagname", "C:\\Wonderware\\lgh", dir / "tagname.x",
                                        "C:\\Wonderware", "59m", "1m", "TRUE", "", std::to_string(verbosity),
                                        dir / "cache\\"};
        hdq::FrmDDE form(channel, host, activity, [&] { return settings; });
        state.ResumeTiming();
        for (int hour = 0; hour < 24; ++hour) {
            clock.Set(hdq::DateTime{2011, 3, 25, hour, 5, 0});
            const hdq::DateTime previous = hdq::DateTime{2011, 3, 25, hour, 0, 0}.AddSeconds(-3600);
            if (!form.Init()) state.SkipWithError("the request session did not start");
            form.SetStartDate(previous);
            form.SetStartTime(previous);
            if (!form.SendRequest()) state.SkipWithError("a request failed");
            form.ClearMemory();
        }
        state.PauseTiming();
        log.closeLog();
        bytes = BytesIn(dir / "log");
        state.ResumeTiming();
    }
    state.counters["log_bytes_per_day"] = static_cast<double>(bytes);
    state.counters["log_bytes_per_tag_day"] = static_cast<double>(bytes) / kPlantTags;
    // 0: no day ever fills the cap.
    state.counters["days_under_500MB"] = bytes == 0 ? 0.0 : static_cast<double>(uint64_t{hdq::kDefaultMaxLogMB} << 20) / bytes;
}

}  // namespace

BENCHMARK(LogBytesPerDay)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);
