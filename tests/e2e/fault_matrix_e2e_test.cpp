// One hour exported by the real program while one thing goes wrong that only the real program
// under Wine can show: HistData exits in the middle; a file in the cache, in the output folder
// or the INI file is held open by another program. (Bad files, answers, time-outs and the
// starting of HistData are proven by the unit tests and the service tests.) Each row says which
// lines the program must write, how the run ends, where every CSV file ends up and what
// becomes of LAST_RUN.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/resource.h"
#include "core/clock.h"
#include "core/datetime.h"
#include "e2e_folder_win32.h"
#include "win32/win32_handles.h"

namespace hdq::test {
namespace {

const std::string kOldLastRun = "03-24-2011 00:00:00";
// The hour a manual row exports: the range 08:00 to 09:00 holds exactly one request.
const DateTime kManualHour{2011, 3, 25, 8, 0, 0};
// Lines many rows expect; a leading "!" marks a line that must not appear.
const std::string kSubmitted = "Request submitted, files created";
const std::string kNotSubmitted = "!" + kSubmitted;
const std::string kHourFailed = "Unable to create file for: {hour}";
const std::string kMoved = "Move CSV Files ... end";
const std::string kNotMoved = "!" + kMoved;
const std::string kNoConnection = "Unable to initialize connection with HistData thru DDE at this time";
const std::string kLeftover = "2011010100.CSV";
// A manual run's failed hour waits on the retry list.
const std::string kListed = "1 of 1 hour(s) failed and wait for retry: {hour}";

struct Cell;
using Hook = std::function<void(Cell&)>;

struct Row {
    const char* name{};
    std::string faults{};  // further histdata-sim.ini lines
    bool service = false;  // the service's timer exports the hour, not a manual run
    IniValues ini{};       // INI values that differ from the base
    Hook beforeStart{};    // the program folder is laid out and nothing runs yet
    Hook beforeRun{};      // the program runs its service and the export has not begun
    // Messages that must (or, marked "!", must not) appear; a message matches by its start.
    std::vector<std::string> lines{};
    bool result = true;  // manual rows: the reported status; service rows: the cycle ran to its end
    // CSV files in the output folder and left in the cache folder afterwards, unless the
    // files' places depend on the order of the directory listing.
    std::vector<std::string> out{};
    std::vector<std::string> cache{};
    bool placesFiles = true;
    bool lastRunMoves = false;  // service rows: LAST_RUN saved as the current hour
    Hook check{};               // what a row checks beyond the table, after the program has ended
};

// Failure messages name the row, not its bytes.
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

std::string CsvName(const DateTime& hour) { return FormatPattern(hour, "yyyymmddhh") + ".CSV"; }


// One row's world: a program folder with the exe, its INI file and an output folder, and a
// private HistData stand-in whose faults the row sets.
struct Cell {
    std::string Ini() const { return program / "HistDataToQorp.ini"; }
    std::string Out() const { return program / "out"; }
    std::string Cache() const { return program / "cache"; }

    TempFolder program;
    StandIn standIn{HDQ_SIM_DIR};
    Process app;
    HWND main = nullptr;
    DateTime hour = kManualHour;  // the hour the row exports
    DateTime serviceEnd{};        // service rows: the current hour, which LAST_RUN moves to
    win::UniqueFile held;         // a file the test keeps open against the program
    std::string iniBefore;        // the INI text just before the export
    std::vector<std::string> activity;
};

class FaultMatrix : public ::testing::TestWithParam<Row> {
protected:
    void TearDown() override {
        ExitThroughTray(c.app);
        c.held.reset();
        c.standIn.Stop();
        EndCopiesOf(c.standIn.ExePath());
    }

    std::string Expand(std::string text) const {
        const std::pair<std::string, std::string> names[] = {
            {"{hour}", FormatGeneral(c.hour)}, {"{start}", FormatPattern(c.hour, "yyyy/mm/dd hh:00")},
            {"{csv}", CsvName(c.hour)}, {"{cache}", c.Cache()}, {"{out}", c.Out()}};
        for (const auto& [from, to] : names) {
            for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
                text.replace(at, from.size(), to);
            }
        }
        return text;
    }

    std::string Describe() const {
        return test::Describe(c.app.Running() ? Activity(c.main) : c.activity, c.program.path(), c.standIn);
    }
    void Call(const Hook& hook) {
        if (hook) hook(c);
    }

    Cell c;
};

TEST_P(FaultMatrix, ReportsTheFaultAndAccountsForEveryFile) {
    const Row& row = GetParam();
    ASSERT_TRUE(c.standIn.Copied()) << "could not copy the stand-in into " << c.standIn.folder();
    // Service rows post the timer tick themselves; the minute must not turn before it lands.
    IniValues ini = {{"DDE_TIMEOUT", "50"}, {"LAST_RUN", kOldLastRun}};
    if (row.service) {
        WaitUntil([] { return SystemNow().second <= 40; }, 25000, 200);
        const DateTime now = SystemNow();
        c.serviceEnd = TruncateToHour(now);
        c.hour = c.serviceEnd.AddSeconds(-3600);
        ini = {{"DDE_TIMEOUT", "50"},
               {"LAST_RUN", FormatGeneral(c.hour)},
               {"MINUTES_AFTER_HOUR", std::to_string(now.minute)}};
    }
    ini.insert(ini.end(), row.ini.begin(), row.ini.end());

    const std::string topic = UniqueName("FAULT");
    c.standIn.WriteDictionary({"TANK_LEVEL", "PUMP_FLOW"});
    // A lifetime ends any copy this test fails to end; it outlasts the slowest row.
    c.standIn.WriteSettings("TOPIC=" + topic + "\r\nLIFETIME_MS=170000\r\n" + row.faults + "\r\n");
    ASSERT_TRUE(CreateDirectoryA(c.Out().c_str(), nullptr)) << "output folder: " << GetLastError();
    ASSERT_FALSE(InstallProgram(c.program).empty()) << "could not copy " << BuiltExe();
    WriteProgramIni(c.Ini(), c.standIn, topic, c.Out(), ini);
    ASSERT_NO_FATAL_FAILURE(Call(row.beforeStart));
    ASSERT_TRUE(c.standIn.Start()) << "the stand-in did not open its window";
    c.main = StartProgram(c.app, c.program.path());
    ASSERT_NE(nullptr, c.main) << "no main window; the program is " << (c.app.Running() ? "running" : "not running");
    ASSERT_TRUE(WaitForActivity(c.main, {"Running Service Mode"}, 10000)) << Describe();
    ASSERT_NO_FATAL_FAILURE(Call(row.beforeRun));
    c.iniBefore = ReadFile(c.Ini());

    if (!row.service) {
        ASSERT_TRUE(RunManual(c.app.Id(), c.main, FormatGeneral(c.hour), FormatGeneral(c.hour.AddSeconds(3600))))
            << "no Manual Run dialog";
        ASSERT_TRUE(WaitForActivity(c.main, {"Complete Manual process HistData files, status: "}, 150000))
            << Describe();
    } else {
        PostMessageA(c.main, WM_TIMER, IDT_tmrProcessFiles, 0);
        const std::vector<std::string> ends = {"Processing Files completed upto: ", "ERROR: ProcessHistFiles(",
                                               kNoConnection};
        ASSERT_TRUE(WaitForActivity(c.main, ends, 150000)) << Describe();
        // A service run covers the hours up to the current one: one that turned meanwhile
        // changes what the row can expect.
        if (TruncateToHour(SystemNow()) != c.serviceEnd) GTEST_SKIP() << "the hour turned during the run";
    }
    c.activity = Activity(c.main);

    // The log is complete once the program has ended.
    EXPECT_TRUE(ExitThroughTray(c.app)) << "Exit in the tray menu did not end the program";
    const std::vector<std::string> seen = Messages(NewestLog(c.program.path()));
    Call(row.check);
    for (const std::string& line : row.lines) {
        const bool absent = line[0] == '!';
        const std::string text = Expand(line.substr(absent ? 1 : 0));
        EXPECT_NE(absent, AnyStartsWith(seen, text))
            << (absent ? "unexpected: " : "missing: ") << text << "\n" << Describe();
    }

    if (!row.service) {
        const std::string status = std::string("status: ") + (row.result ? "True" : "False");
        EXPECT_TRUE(AnyStartsWith(c.activity, "Complete Manual process HistData files, " + status)) << Describe();
        // A manual run never moves the service's starting point.
        EXPECT_EQ(kOldLastRun, IniValue(c.Ini(), "LAST_RUN"));
    } else {
        const std::string completed = "Processing Files completed upto: " + FormatGeneral(c.serviceEnd);
        EXPECT_EQ(row.result, AnyStartsWith(c.activity, completed)) << Describe();
        EXPECT_EQ(FormatGeneral(row.lastRunMoves ? c.serviceEnd : c.hour), IniValue(c.Ini(), "LAST_RUN"))
            << Describe();
    }
    if (row.placesFiles) {
        std::vector<std::string> out, cache;
        for (const std::string& f : row.out) out.push_back(Expand(f));
        for (const std::string& f : row.cache) cache.push_back(Expand(f));
        EXPECT_EQ(out, CsvFilesIn(c.Out())) << Describe();
        EXPECT_EQ(cache, CsvFilesIn(c.Cache())) << Describe();
    }
}

// ---- the rows ----

// A file of an hour whose check never happened (the program was killed during it).
void LeaveAnUncheckedFileInTheCache(Cell& c) {
    ASSERT_TRUE(CreateDirectoryA(c.Cache().c_str(), nullptr)) << GetLastError();
    WriteFile(c.Cache() + "\\" + kLeftover,
              "$Date,$Time,TANK_LEVEL\r\n01/01/2011,00:00:00,1\r\n01/01/2011,00:01:00,2\r\n");
}

// The test holds a file of the program folder open, sharing only what share allows.
Hook HoldOpen(const std::string& name, DWORD share) {
    return [=](Cell& c) {
        const std::string path = c.program / name;
        c.held.reset(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(c.held) << path << ": " << GetLastError();
    };
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        // Two tags: the fifth poke is TAGS, so HistData is gone before TAGS1.
        {.name = "HistDataEndsDuringTheTagList", .faults = "EXIT_AFTER_POKES=5",
         .lines = {"=+= Poked: TAGS, $date,$time,TANK_LEVEL,+", "ERROR (", "Error: Unable to Poke tags", kHourFailed,
                   "!=+= Poked: TAGS1, ", "!Start DDE MakeFiles ... ", kNotSubmitted, kListed},
         .result = false},

        // A file nobody checked (left by a crash) is never delivered; held open by another
        // program it cannot even be deleted, and the hour's own file still goes out.
        {.name = "ServiceWithUncheckedCacheFileLocked", .service = true,
         .beforeStart =
             [](Cell& c) {
                 LeaveAnUncheckedFileInTheCache(c);
                 HoldOpen("cache\\" + kLeftover, FILE_SHARE_READ)(c);  // before start-up's clean-up
             },
         .lines = {"Error: Unable to delete unchecked file {cache}\\" + kLeftover, kMoved, kSubmitted,
                   "!File to Copy: {out}\\" + kLeftover},
         .out = {"{csv}"},
         .cache = {kLeftover},
         .lastRunMoves = true},

        // An importer holds the hour's earlier copy open without delete sharing: the replacing
        // rename fails, the hour stays in the cache, and nothing of the new copy is left.
        {.name = "ServiceWithOutputFileHeldOpen", .service = true,
         .beforeRun = [](Cell& c) {
             WriteFile(c.Out() + "\\" + CsvName(c.hour), "older");
             HoldOpen("out\\" + CsvName(c.hour), FILE_SHARE_READ)(c);
         },
         .lines = {"File to Copy: {out}\\{csv}", "Error: Unable to Move CSV Files: (", kNotMoved},
         .out = {"{csv}"},
         .cache = {"{csv}"},
         .check = [](Cell& c) { EXPECT_EQ(std::vector<std::string>{CsvName(c.hour)}, FilesIn(c.Out())); }},

        // The hour is delivered, but the new LAST_RUN cannot be stored while another program
        // (an editor, a backup) holds the INI file without sharing deletion: the file on disk
        // stays whole and as it was. (A read-only attribute alone is not enforced under Wine
        // for a replacing rename by root.)
        {.name = "ServiceWithIniHeldOpen", .service = true,
         .beforeRun = HoldOpen("HistDataToQorp.ini", FILE_SHARE_READ | FILE_SHARE_WRITE),
         .lines = {kMoved, "SaveINI() failed in VRXConfiguration.SaveConfig().", kSubmitted,
                   "Error: Unable to save LAST_RUN to "},
         .out = {"{csv}"},
         .check = [](Cell& c) {
             EXPECT_NE(std::string::npos, ReadFile(c.program / "HistDataToQorp.status").find("Trouble=LAST_RUN not saved"));
             c.held.reset();
             EXPECT_EQ(c.iniBefore, ReadFile(c.Ini()));
             for (const std::string& f : FilesIn(c.program.path())) EXPECT_EQ(std::string::npos, f.find("tmp")) << f;
         }},

    };
    return rows;
}

INSTANTIATE_TEST_SUITE_P(OneHour, FaultMatrix, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hdq::test
