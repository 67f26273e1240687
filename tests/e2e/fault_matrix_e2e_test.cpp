// One hour exported by the real program while one thing goes wrong: HistData refuses, stalls,
// answers badly, writes a bad file or never shows up; the output folder, the cache, the INI
// file or the log folder cannot be used. Each row says which lines the program must write,
// how the run ends, where every CSV file ends up and what becomes of LAST_RUN.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/resource.h"
#include "core/clock.h"
#include "core/datetime.h"
#include "driver_win32.h"
#include "e2e_folder_win32.h"
#include "platform/win32_handles.h"
#include "standin_win32.h"
#include "test_support.h"

namespace hdq::test {
namespace {

const std::string kTitle = "HistData to Brel Qorp Utility v1.0.7 - Interactive ";
const std::string kHistDataTitle = "Historical Data Manager";
const std::string kOldLastRun = "03-24-2011 00:00:00";
// The hour a manual row exports: the range 08:00 to 09:00 holds exactly one request.
const DateTime kManualHour{2011, 3, 25, 8, 0, 0};

enum class Run { Manual, Service };
// Who starts HistData: the test before the program, the program itself, or nobody because
// the configured folder holds no histdata.exe.
enum class Sim { StartedByTest, LeftToProgram, Missing };

class Cell;
using Hook = std::function<void(Cell&)>;

struct Row {
    const char* name{};
    std::string faults{};  // further histdata-sim.ini lines
    Sim sim = Sim::StartedByTest;
    Run run = Run::Manual;
    // INI values that differ from the base.
    std::vector<std::pair<std::string, std::string>> ini{};
    // When the program folder is laid out and nothing runs yet.
    Hook beforeStart{};
    // When the program runs its service and the export has not begun.
    Hook beforeRun{};
    // Messages that must, and must not, appear; a message matches by its start.
    std::vector<std::string> lines{};
    std::vector<std::string> absent{};
    // Manual rows: the reported status; service rows: the cycle ran to its end.
    bool result = true;
    // CSV files in the output folder and left in the cache folder afterwards.
    std::vector<std::string> outFiles{};
    std::vector<std::string> cacheFiles{};
    // Service rows: LAST_RUN saved as the current hour.
    bool lastRunMoves = false;
    // False where the files' places depend on the order of the directory listing.
    bool placesFiles = true;
    // What a row checks beyond the table, after the program has ended.
    Hook check{};
    // No log file: the lines are looked for in the activity list.
    bool logUnwritable = false;
};

std::string CsvName(const DateTime& hour) { return FormatPattern(hour, "yyyymmddhh") + ".CSV"; }

// Failure messages name the row, not its bytes.
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

// HistData copies that the program started from the stand-in's folder; a test-started copy
// is one of them too. Matched by the unique folder, so other tests' copies are never touched.
std::vector<DWORD> CopiesRunningFrom(const std::string& exePath) {
    std::string wanted = exePath;
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), ::tolower);
    const std::string leaf = wanted.substr(wanted.find_last_of('\\', wanted.size() - 14) + 1);
    std::vector<DWORD> ids;
    win::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (_stricmp(entry.szExeFile, "histdata.exe") != 0) continue;
        win::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) continue;
        char image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (!QueryFullProcessImageNameA(process.get(), 0, image, &size)) continue;
        std::string have(image, size);
        std::transform(have.begin(), have.end(), have.begin(), ::tolower);
        if (have.size() >= leaf.size() && have.compare(have.size() - leaf.size(), leaf.size(), leaf) == 0) {
            ids.push_back(entry.th32ProcessID);
        }
    }
    return ids;
}

void KillCopiesRunningFrom(const std::string& exePath) {
    for (DWORD id : CopiesRunningFrom(exePath)) {
        win::UniqueKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process) continue;
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
    }
}

// A "Historical Data Manager" window of a HistData that is not one of this row's copies:
// the program cannot tell it from its own, so rows about starting HistData cannot be judged.
bool ForeignHistDataWindowOpen(const std::string& ownExePath) {
    struct Search {
        std::vector<DWORD> own;
        bool foreign = false;
    } search{CopiesRunningFrom(ownExePath)};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            char title[64] = {};
            GetWindowTextA(hwnd, title, sizeof title);
            if (kHistDataTitle != title) return TRUE;
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (std::find(s->own.begin(), s->own.end(), pid) != s->own.end()) return TRUE;
            s->foreign = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.foreign;
}

// The log's messages without their "hh:mm:ss : " stamp; a line that continues a two-line
// message has no stamp and is kept whole.
std::vector<std::string> Messages(const std::string& logText) {
    std::vector<std::string> messages;
    size_t pos = 0;
    while (pos < logText.size()) {
        size_t end = logText.find("\r\n", pos);
        if (end == std::string::npos) end = logText.size();
        std::string line = logText.substr(pos, end - pos);
        const bool stamped = line.size() >= 11 && line[2] == ':' && line[5] == ':' && line.compare(8, 3, " : ") == 0;
        messages.push_back(stamped ? line.substr(11) : line);
        pos = end + 2;
    }
    return messages;
}

bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// One row's world: a program folder with the exe, its INI file and an output folder, and a
// private HistData stand-in whose faults the row sets.
class Cell {
public:
    std::string Ini() const { return program / "HistDataToQorp.ini"; }
    std::string Out() const { return program / "out"; }
    std::string Cache() const { return program / "cache"; }

    TempFolder program;
    StandIn standIn{HDQ_SIM_DIR};
    Process app;
    HWND main = nullptr;
    DateTime hour{};        // the hour the row exports
    DateTime serviceEnd{};  // service rows: the current hour, which LAST_RUN moves to
    std::string topic = UniqueName("FAULT");
    win::UniqueFile held;   // a file the test keeps open against the program
    std::string iniBefore;  // the INI text just before the export
    std::vector<std::string> activity;
    std::vector<std::string> messages;
};

class FaultMatrix : public ::testing::TestWithParam<Row> {
protected:
    void TearDown() override {
        if (cell.app.Running()) ExitThroughTray(cell.app);
        cell.app.Kill();
        cell.held.reset();
        cell.standIn.Stop();
        KillCopiesRunningFrom(cell.standIn.ExePath());
    }

    std::string Expand(const std::string& text) const {
        std::string t = Replace(text, "{hour}", FormatGeneral(cell.hour));
        t = Replace(t, "{start}", FormatPattern(cell.hour, "yyyy/mm/dd hh:00"));
        t = Replace(t, "{csv}", CsvName(cell.hour));
        t = Replace(t, "{cache}", cell.Cache());
        t = Replace(t, "{out}", cell.Out());
        return t;
    }

    void WriteIni(const Row& row, const std::string& minutes, const std::string& lastRun) {
        std::vector<std::pair<std::string, std::string>> values = {
            {"DDE_LINKTOPIC", cell.topic},
            {"DDE_LGH_FOLDER", cell.standIn.folder()},
            {"DDE_TAGNAME_FILE", cell.standIn.Path("tagname.x")},
            {"DDE_HISTDATA_FOLDER", cell.standIn.folder()},
            {"OUTPUT_FOLDER", cell.Out()},
            {"MINUTES_AFTER_HOUR", minutes},
            {"KEEP_LOGS_FOR", "30"},
            {"VERBOSITY", "2"},
            {"LAST_RUN", lastRun},
            {"HELPTOPIC", "12120"},
            {"DDE_TIMEOUT", "50"},
            {"DDE_MAX_BUFFER_SIZE", "500"},
            // The step of the cycle is this number of minutes: 60 gives one request per hour.
            {"DDE_DURATION", "60m"},
            {"DDE_INTERVAL", "1m"},
            {"DDE_SAVECACHE", "FALSE"},
            {"SELECTALLTAGS", "TRUE"},
            {"VALIDTRENDBYTES", ""},
        };
        for (const auto& [key, value] : row.ini) {
            for (auto& kv : values) {
                if (kv.first == key) kv.second = value;
            }
        }
        std::string text;
        for (const auto& [key, value] : values) text += key + "=" + value + "\r\n";
        WriteFile(cell.Ini(), text);
    }

    std::vector<std::string> Activity() const { return ListBoxItems(FindChildById(cell.main, IDC_lstActivityLog)); }

    bool WaitForActivity(const std::vector<std::string>& starts, DWORD ms, bool watchForeign = false) {
        return WaitUntil(
            [&] {
                if (watchForeign && ForeignHistDataWindowOpen(cell.standIn.ExePath())) foreignSeen = true;
                std::vector<std::string> lines = Activity();
                return std::any_of(starts.begin(), starts.end(),
                                   [&](const std::string& s) { return AnyStartsWith(lines, s); });
            },
            ms, 200);
    }

    void RunManualHour() {
        PostClick(FindChildById(cell.main, IDC_btnManual));
        HWND dialog = FindTopWindowOfProcess(cell.app.Id(), "Manual Run", 10000);
        ASSERT_NE(nullptr, dialog);
        SetText(FindChildById(dialog, IDC_txtStartDate), FormatGeneral(cell.hour));
        SetText(FindChildById(dialog, IDC_txtEndDate), FormatGeneral(cell.hour.AddSeconds(3600)));
        PostClick(FindChildById(dialog, IDC_btnRun));
    }

    std::string Describe() const {
        std::string text = "activity:\n";
        for (const std::string& l : cell.activity) text += "  " + l + "\n";
        text += "log:\n";
        for (const std::string& l : cell.messages) text += "  " + l + "\n";
        text += "stand-in transcript:\n";
        for (const std::string& l : cell.standIn.Transcript()) text += "  " + l + "\n";
        return text;
    }

    Cell cell;
    bool foreignSeen = false;  // another test's HistData window showed while this row ran
};

TEST_P(FaultMatrix, ReportsTheFaultAndAccountsForEveryFile) {
    const Row& row = GetParam();
    ASSERT_TRUE(cell.standIn.Copied());
    const bool needsQuietDesktop = row.sim != Sim::StartedByTest;
    const std::string ownExe = cell.standIn.ExePath();
    if (needsQuietDesktop && !WaitUntil([&] { return !ForeignHistDataWindowOpen(ownExe); }, 30000, 500)) {
        GTEST_SKIP() << "another test's HistData window is open; the program would take it for its own";
    }

    // Service rows post the timer tick themselves; the minute must not turn before it lands.
    std::string minutes = "0";
    std::string lastRun = kOldLastRun;
    cell.hour = kManualHour;
    if (row.run == Run::Service) {
        WaitUntil([] { return SystemNow().second <= 40; }, 25000, 200);
        const DateTime now = SystemNow();
        cell.serviceEnd = TruncateToHour(now);
        cell.hour = cell.serviceEnd.AddSeconds(-3600);
        minutes = std::to_string(now.minute);
        lastRun = FormatGeneral(cell.hour);
    }

    cell.standIn.WriteDictionary({"TANK_LEVEL", "PUMP_FLOW"});
    // A lifetime ends any copy this test fails to end; it outlasts the slowest row.
    cell.standIn.WriteSettings("TOPIC=" + cell.topic + "\r\nLIFETIME_MS=170000\r\n" + row.faults);
    ASSERT_TRUE(CreateDirectoryA(cell.Out().c_str(), nullptr));
    ASSERT_FALSE(InstallProgram(cell.program).empty());
    WriteIni(row, minutes, lastRun);
    if (row.beforeStart) row.beforeStart(cell);

    if (row.sim == Sim::StartedByTest) {
        ASSERT_TRUE(cell.standIn.Start());
    }
    ASSERT_TRUE(cell.app.Start(cell.program / "HistDataToQorp.exe", "", cell.program.path()));
    cell.main = FindTopWindowOfProcess(cell.app.Id(), kTitle, 15000);
    ASSERT_NE(nullptr, cell.main);
    ASSERT_TRUE(WaitForActivity({"Running Service Mode"}, 10000)) << ::testing::PrintToString(Activity());
    if (row.beforeRun) row.beforeRun(cell);
    cell.iniBefore = ReadFile(cell.Ini());

    // Ten starts with a ten-second wait for the window each bound the slowest row.
    const DWORD runLimitMs = 150000;
    if (row.run == Run::Manual) {
        RunManualHour();
        ASSERT_TRUE(
            WaitForActivity({"Complete Manual process HistData files, status: "}, runLimitMs, needsQuietDesktop))
            << ::testing::PrintToString(Activity());
    } else {
        PostMessageA(cell.main, WM_TIMER, IDT_tmrProcessFiles, 0);
        ASSERT_TRUE(WaitForActivity({"Processing Files completed upto: ", "ERROR: ProcessHistFiles(",
                                     "Unable to initialize connection with HistData thru DDE at this time"},
                                    runLimitMs))
            << ::testing::PrintToString(Activity());
    }
    cell.activity = Activity();
    if (foreignSeen) {
        GTEST_SKIP() << "another test's HistData window opened during the run; the program may have used it";
    }

    // The log is complete once the program has ended.
    EXPECT_TRUE(ExitThroughTray(cell.app)) << "Exit in the tray menu did not end the program";
    if (!row.logUnwritable) cell.messages = Messages(NewestLog(cell.program.path()));
    const std::vector<std::string>& seen = row.logUnwritable ? cell.activity : cell.messages;
    if (row.check) row.check(cell);

    for (const std::string& line : row.lines) {
        EXPECT_TRUE(AnyStartsWith(seen, Expand(line))) << "missing: " << Expand(line) << "\n" << Describe();
    }
    for (const std::string& line : row.absent) {
        EXPECT_FALSE(AnyStartsWith(seen, Expand(line))) << "unexpected: " << Expand(line) << "\n" << Describe();
    }

    if (row.run == Run::Manual) {
        const std::string status =
            std::string("Complete Manual process HistData files, status: ") + (row.result ? "True" : "False");
        EXPECT_TRUE(AnyStartsWith(cell.activity, status)) << Describe();
        // A manual run never moves the service's starting point.
        EXPECT_EQ(kOldLastRun, IniValue(cell.Ini(), "LAST_RUN"));
    } else {
        EXPECT_EQ(row.result,
                  AnyStartsWith(cell.activity, "Processing Files completed upto: " + FormatGeneral(cell.serviceEnd)))
            << Describe();
        EXPECT_EQ(FormatGeneral(row.lastRunMoves ? cell.serviceEnd : cell.hour), IniValue(cell.Ini(), "LAST_RUN"))
            << Describe();
    }

    if (row.placesFiles) {
        std::vector<std::string> out, cache;
        for (const std::string& f : row.outFiles) out.push_back(Expand(f));
        for (const std::string& f : row.cacheFiles) cache.push_back(Expand(f));
        EXPECT_EQ(out, CsvFilesIn(cell.Out())) << Describe();
        EXPECT_EQ(cache, CsvFilesIn(cell.Cache())) << Describe();
    }
}

// ---- the rows ----

const std::string kLeftover = "2011010100.CSV";

// An hour exported by an earlier run whose move has not happened yet.
void LeaveAnExportedHourInTheCache(Cell& c) {
    ASSERT_TRUE(CreateDirectoryA(c.Cache().c_str(), nullptr));
    WriteFile(c.Cache() + "\\" + kLeftover,
              "$Date,$Time,TANK_LEVEL\r\n01/01/2011,00:00:00,1\r\n01/01/2011,00:01:00,2\r\n");
}

Hook HoldLeftoverOpen(DWORD share) {
    return [share](Cell& c) {
        c.held.reset(CreateFileA((c.Cache() + "\\" + kLeftover).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(c.held) << GetLastError();
    };
}

bool Has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The hour's own file either went out before the failing file stopped the move, or stays in
// the cache for the next move: never both, never neither.
void HourFileIsInExactlyOnePlace(Cell& c) {
    const std::string name = CsvName(c.hour);
    EXPECT_NE(Has(CsvFilesIn(c.Out()), name), Has(CsvFilesIn(c.Cache()), name))
        << "out: " << ::testing::PrintToString(CsvFilesIn(c.Out()))
        << " cache: " << ::testing::PrintToString(CsvFilesIn(c.Cache()));
}

int WriteOrders(const Cell& c) {
    const std::vector<std::string> t = c.standIn.Transcript();
    return static_cast<int>(std::count(t.begin(), t.end(), "POKE WRITEFILE=1"));
}

Hook ExpectCopiesOfHistData(size_t n) {
    return [n](Cell& c) { EXPECT_EQ(n, CopiesRunningFrom(c.standIn.ExePath()).size()); };
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {.name = "NoFault",
         .lines = {"Processing Data for {hour}", "Created CSV file for: {start}", "Move CSV Files ... end",
                   "Request submitted, files created", "Processing Files completed upto: 2011-03-25 09:00:00"},
         .outFiles = {"{csv}"}},

        {.name = "RefusedConversation",
         .faults = "REFUSE_CONNECT=1\r\n",
         .lines = {"ERROR (", "Error: Unable to get handle to HistDate through DDE",
                   "Error occured when trying to make a file from HISTDATA", "Make Error (",
                   "Error: Unable to Make CSV", "Unable to create file for: {hour}"},
         .absent = {"Begin poking tagnames ...", "Request submitted, files created"}},

        // The request goes on after the failed set-up; without DBDIR and tags HistData refuses the write.
        {.name = "RefusedDbdirPoke",
         .faults = "REFUSE_POKE=DBDIR\r\n",
         .lines = {"ERROR (", "Error: Unable to get handle to HistDate through DDE", "=+= poked writefile command",
                   "Error occured when trying to make a file from HISTDATA", "Error: Unable to Make CSV",
                   "Unable to create file for: {hour}"},
         .absent = {"=+= poked: DURATION", "Begin poking tagnames ...", "Request submitted, files created"}},

        // HistData writes the file after the program has given the hour up: it stays in the cache
        // and leaves with the next successful move.
        {.name = "WriteOrderHeldPastTheTimeOut",
         .faults = "HOLD_ITEM=WRITEFILE\r\nHOLD_MS=5000\r\n",
         .ini = {{"DDE_TIMEOUT", "20"}},
         .lines = {"=+= Poking: WRITEFILE, 1", "Error occured when trying to make a file from HISTDATA", "Make Error (",
                   "Error: Unable to Make CSV", "Unable to create file for: {hour}"},
         .absent = {"=+= poked writefile command", "Request submitted, files created"},
         .cacheFiles = {"{csv}"},
         .check =
             [](Cell& c) {
                 const std::string late = c.Cache() + "\\" + CsvName(c.hour);
                 EXPECT_TRUE(WaitUntil([&] { return !ReadFile(late).empty(); }, 15000, 200)) << "no late file";
             }},

        // The file was written but never confirmed: it must not stay for the next move.
        {.name = "ErrorAnswerHeldPastTheTimeOut",
         .faults = "HOLD_ITEM=ERROR\r\nHOLD_MS=5000\r\n",
         .ini = {{"DDE_TIMEOUT", "20"}},
         .lines = {"=+= poked writefile command", "Make Error (", "Error: Unable to Make CSV",
                   "Unable to create file for: {hour}"},
         .absent = {"Start Check File Exist=", "Request submitted, files created"}},

        {.name = "FailureAnswer",
         .faults = "ERROR_ANSWER=Disk full\r\n",
         .lines = {"=+= poked writefile command", "Error occured when trying to make a file from HISTDATA",
                   "Error: Unable to Make CSV", "Unable to create file for: {hour}"},
         .absent = {"Make Error (", "Request submitted, files created"}},

        // HistData writes the file without its header again when asked once more.
        {.name = "FileWithoutHeader",
         .faults = "FILE_SHAPE=NOHEADER\r\n",
         .lines = {"Did not find $DATE,$TIME, in ", "Error: Unable to create CSV file for: {start}",
                   "Error: Unable to verify CSV files", "Unable to create file for: {hour}"},
         .absent = {"Created CSV file for: ", "Request submitted, files created"},
         .check = [](Cell& c) { EXPECT_EQ(2, WriteOrders(c)); }},

        {.name = "FileHoldingOnlyItsHeader",
         .faults = "FILE_SHAPE=HEADERONLY\r\n",
         .lines = {"First line: $Date,$Time,TANK_LEVEL,PUMP_FLOW", "ERROR (62): Input past end of file",
                   "Error: Unable to verify CSV files", "Unable to create file for: {hour}"},
         .absent = {"Request submitted, files created"}},

        {.name = "FileWithOneDataLine",
         .faults = "FILE_SHAPE=ONELINE\r\n",
         .lines = {"Warning: No data in WonderWare for {start}", "Error: Unable to verify CSV files",
                   "Unable to create file for: {hour}"},
         .absent = {"Request submitted, files created"}},

        {.name = "NoFileAtAll",
         .faults = "FILE_SHAPE=NONE\r\n",
         .lines = {"Start Check File Exist={cache}\\{csv}", "Error: Unable to verify CSV files",
                   "Unable to create file for: {hour}"},
         .absent = {"First line: ", "Request submitted, files created"}},

        {.name = "WindowLateButWithinTheWait",
         .faults = "WINDOW_DELAY_MS=3000\r\n",
         .sim = Sim::LeftToProgram,
         .lines = {"Historical Data Manager is not running, attempting to start number: 0",
                   "Attempts to start histdata.exe = 1", "Created CSV file for: {start}",
                   "Request submitted, files created"},
         .absent = {"Historical Data Manager is not running, attempting to start number: 1"},
         .outFiles = {"{csv}"},
         .check = ExpectCopiesOfHistData(1)},

        // Each start waits ten seconds for the window: the slowest row, about 100 s.
        {.name = "WindowNeverOpens",
         .faults = "NO_WINDOW=1\r\n",
         .sim = Sim::LeftToProgram,
         .lines = {"Historical Data Manager is not running, attempting to start number: 9",
                   "Attempts to start histdata.exe = 10", "Error: Unable to start HistData.exe",
                   "Unable to initialize connection with HistData thru DDE at this time"},
         .absent = {"Historical Data Manager is not running, attempting to start number: 10", "Processing Data for "},
         .result = false,
         .check = ExpectCopiesOfHistData(10)},

        {.name = "HistDataProgramMissing",
         .sim = Sim::Missing,
         .beforeStart =
             [](Cell& c) {
                 const std::string empty = c.program / "nohistdata";
                 ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
                 SetIniValue(c.Ini(), "DDE_HISTDATA_FOLDER", empty);
             },
         .lines =
             {"Historical Data Manager is not running, attempting to start number: 0", "ERROR (",
              "Unable to start/restart/communicate with HISTDATA.EXE, make sure configuration points to executable. ",
              "If HISTDATA.EXE is running, stop the program and restart it.", "Error: Unable to start HistData.exe",
              "Unable to initialize connection with HistData thru DDE at this time"},
         .absent = {"Historical Data Manager is not running, attempting to start number: 1",
                    "Attempts to start histdata.exe = ", "Processing Data for "},
         .result = false},

        // Two tags: the fifth poke is TAGS, so HistData is gone before TAGS1.
        {.name = "HistDataEndsDuringTheTagList",
         .faults = "EXIT_AFTER_POKES=5\r\n",
         .lines = {"=+= Poked: TAGS, $date,$time,TANK_LEVEL,+", "ERROR (", "Error: Unable to Poke tags",
                   "Unable to create file for: {hour}"},
         .absent = {"=+= Poked: TAGS1, ", "Start DDE MakeFiles ... ", "Request submitted, files created"}},

        // The write order is carried out, then HistData is gone before it confirms it.
        {.name = "HistDataEndsAfterTheWriteOrder",
         .faults = "EXIT_AFTER_POKES=10\r\n",
         .lines = {"=+= poked writefile command", "Make Error (", "Error: Unable to Make CSV",
                   "Unable to create file for: {hour}"},
         .absent = {"Request submitted, files created"}},

        {.name = "OutputFolderRemovedIsCreated",
         .beforeRun = [](Cell& c) { ASSERT_TRUE(RemoveDirectoryA(c.Out().c_str())); },
         .lines = {"File to Copy: {out}\\{csv}", "Move CSV Files ... end", "Request submitted, files created"},
         .outFiles = {"{csv}"}},

        // A read-only attribute does not stop files being made in a folder, so the folder is
        // made impossible instead: a file stands where it would be.
        {.name = "OutputFolderCannotBeMade",
         .beforeRun =
             [](Cell& c) {
                 ASSERT_TRUE(RemoveDirectoryA(c.Out().c_str()));
                 WriteFile(c.Out(), "in the way");
             },
         .lines = {"Error: Unable to Move CSV Files: (", "Request submitted, files created",
                   "Processing Files completed upto: 2011-03-25 09:00:00"},
         .absent = {"Move CSV Files ... end"},
         .cacheFiles = {"{csv}"},
         .check = [](Cell& c) { EXPECT_EQ("in the way", ReadFile(c.Out())); }},

        // Read access shared but not deletion: the copy goes out, the original cannot go.
        {.name = "CacheFileOpenWithoutShareDelete",
         .beforeStart = LeaveAnExportedHourInTheCache,
         .beforeRun = HoldLeftoverOpen(FILE_SHARE_READ),
         .lines = {"File to Copy: {out}\\" + kLeftover, "Error: Unable to Move CSV Files: (32) ",
                   "Request submitted, files created"},
         .absent = {"Move CSV Files ... end"},
         .placesFiles = false,
         .check =
             [](Cell& c) {
                 EXPECT_TRUE(Has(CsvFilesIn(c.Cache()), kLeftover));
                 EXPECT_TRUE(Has(CsvFilesIn(c.Out()), kLeftover));
                 EXPECT_EQ(ReadFile(c.Cache() + "\\" + kLeftover), ReadFile(c.Out() + "\\" + kLeftover));
                 HourFileIsInExactlyOnePlace(c);
             }},

        // Not shared at all: nothing of it moves; a failed move leaves LAST_RUN where it was.
        {.name = "ServiceWithCacheFileLocked",
         .run = Run::Service,
         .beforeStart = LeaveAnExportedHourInTheCache,
         .beforeRun = HoldLeftoverOpen(0),
         .lines = {"Error: Unable to Move CSV Files: (32) ", "Request submitted, files created"},
         .absent = {"Move CSV Files ... end", "Remove temp: {cache}\\" + kLeftover},
         .placesFiles = false,
         .check =
             [](Cell& c) {
                 EXPECT_TRUE(Has(CsvFilesIn(c.Cache()), kLeftover));
                 EXPECT_FALSE(Has(CsvFilesIn(c.Out()), kLeftover));
                 HourFileIsInExactlyOnePlace(c);
             }},

        {.name = "ServiceNoFault",
         .run = Run::Service,
         .lines = {"Timer Fired. About to Process Data Files Starting: ", "Created CSV file for: {start}",
                   "Move CSV Files ... end"},
         .absent = {"SaveINI() failed in VRXConfiguration.SaveConfig()."},
         .outFiles = {"{csv}"},
         .lastRunMoves = true},

        // A failed hour is reported and skipped; LAST_RUN keeps it for the next service run.
        {.name = "ServiceWithFailedHour",
         .faults = "ERROR_ANSWER=Disk full\r\n",
         .run = Run::Service,
         .lines = {"Error: Unable to Make CSV", "Unable to create file for: {hour}"},
         .absent = {"Move CSV Files ... "}},

        // The hour is delivered, but the new LAST_RUN cannot be stored while another program
        // (an editor, a backup) holds the INI file without sharing deletion: the file on disk
        // stays whole and as it was. (A read-only attribute alone is not enforced under Wine
        // for a replacing rename by root.)
        {.name = "ServiceWithIniHeldOpen",
         .run = Run::Service,
         .beforeRun =
             [](Cell& c) {
                 c.held.reset(CreateFileA(c.Ini().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
                 ASSERT_TRUE(c.held) << GetLastError();
             },
         .lines = {"Move CSV Files ... end", "SaveINI() failed in VRXConfiguration.SaveConfig().",
                   "Request submitted, files created"},
         .outFiles = {"{csv}"},
         .check =
             [](Cell& c) {
                 c.held.reset();
                 EXPECT_EQ(c.iniBefore, ReadFile(c.Ini()));
                 for (const std::string& f : FilesIn(c.program.path()))
                     EXPECT_EQ(std::string::npos, f.find(".tmp")) << f;
             }},

        // No log can be written; the program still exports, and says so on screen.
        {.name = "LogFolderCannotBeMade",
         .beforeStart = [](Cell& c) { WriteFile(c.program / "log", "not a folder"); },
         .lines = {"Processing Data for {hour}", "File to Copy: {out}\\{csv}", "Request submitted, files created",
                   "Processing Files completed upto: 2011-03-25 09:00:00"},
         .outFiles = {"{csv}"},
         .check = [](Cell& c) { EXPECT_EQ("not a folder", ReadFile(c.program / "log")); },
         .logUnwritable = true},
    };
    return rows;
}

INSTANTIATE_TEST_SUITE_P(OneHour, FaultMatrix, ::testing::ValuesIn(Rows()),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hdq::test
