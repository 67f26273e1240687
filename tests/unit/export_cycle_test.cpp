// The export cycle against a recording stand-in for the DDE request window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/export_cycle.h"
#include "app/globals.h"
#include "app/shared.h"
#include "core/error.h"
#include "test_support.h"

namespace hdq {
namespace {

class RecordingForm : public DdeForm {
public:
    void Load() override { calls.push_back("Load"); }
    void SetTagList(TagTable* tags) override {
        calls.push_back("SetTagList");
        tagKeys = tags ? tags->Keys() : std::vector<std::string>{};
    }
    bool Init() override {
        calls.push_back("Init");
        return initResult;
    }
    void SetStartDate(const DateTime& value) override { startDates.push_back(value); }
    void SetStartTime(const DateTime& value) override { startTimes.push_back(value); }
    bool SendRequest() override {
        ++requests;
        if (requests > 1000) {
            ADD_FAILURE() << "the cycle does not end";
            throw VrxError(99999, "runaway cycle");
        }
        if (onSend) onSend(requests);
        bool ok = sendResult ? sendResult(requests) : true;
        if (ok) {
            const DateTime& d = startDates.back();
            char name[32];
            std::snprintf(name, sizeof name, "%04d%02d%02d%02d.CSV", d.year, d.month, d.day, d.hour);
            test::WriteFile(CacheFolder() + "\\" + name, "Date,Time,A\r\n03/25/2011,10:00:00,1\r\n");
        }
        return ok;
    }
    void ClearMemory() override { calls.push_back("ClearMemory"); }

    bool Called(const std::string& name) const {
        return std::find(calls.begin(), calls.end(), name) != calls.end();
    }

    bool initResult = true;
    std::function<bool(int)> sendResult;  // by request number from 1; null: every request succeeds
    std::function<void(int)> onSend;
    std::vector<std::string> calls;
    std::vector<std::string> tagKeys;
    std::vector<DateTime> startDates, startTimes;
    int requests = 0;
};

class CapturedActivity : public ActivityList {
public:
    int Count() const override { return static_cast<int>(lines.size()); }
    void Clear() override { lines.clear(); }
    void Append(const std::string& line) override { lines.push_back(line); }
    bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    long CountOf(const std::string& line) const { return std::count(lines.begin(), lines.end(), line); }
    bool HasPrefix(const std::string& prefix) const {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }
    std::vector<std::string> lines;
};

constexpr DateTime At(int hour, int minute = 0) { return DateTime{2011, 3, 25, hour, minute, 0}; }

class ExportCycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderForTests(program.path());
        CreateSharedObjects();
        AppLog().SetVerbosity(2);  // every activity line reaches the captured list
        SetActivityList(&activity);
        VRXConfiguration& config = AppConfig();
        config.setPath(IniFile());
        config.DefineTree("DDE_DURATION", "60m");
        config.DefineTree("SELECTALLTAGS", "TRUE");
        config.DefineTree("LAST_RUN", "03-24-2011 00:00:00");
        config.DefineTree("OUTPUT_FOLDER", program / "out");
        MakeFolder(CacheFolder());
        cycle.RangeStart = At(10);
        cycle.RangeEnd = At(13);
    }
    void TearDown() override {
        SetActivityList(nullptr);
        SetProgramFolderForTests("");
        CreateSharedObjects();
    }
    static std::vector<int> Hours(const std::vector<DateTime>& dates) {
        std::vector<int> hours;
        for (const DateTime& d : dates) hours.push_back(d.hour);
        return hours;
    }

    test::TempFolder program;
    CapturedActivity activity;
    RecordingForm form;
    ExportCycle cycle{form};
};

TEST_F(ExportCycleTest, RangeWithinOneHourMakesNoRequestAndRangeStartTextIsReadInTheLastRunForm) {
    cycle.RangeEnd = At(10, 30);
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ(0, form.requests);
    EXPECT_TRUE(form.Called("ClearMemory"));
    EXPECT_TRUE(activity.Has("Processing Files completed upto: 2011-03-25 10:00:00"));

    cycle.RangeStart = std::string("03-25-2011 11:00:00");
    cycle.RangeEnd = At(13);
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ((std::vector<int>{11, 12}), Hours(form.startDates));
}

TEST_F(ExportCycleTest, StepOfSixtyMinutesRequestsEachHourOnceAndMovesTheFiles) {
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ((std::vector<int>{10, 11, 12}), Hours(form.startDates));
    EXPECT_EQ(form.startDates, form.startTimes);
    EXPECT_TRUE(activity.Has("Processing Files Starting at: 2011-03-25 10:00:00"));
    EXPECT_TRUE(activity.Has("Processing Data for 2011-03-25 11:00:00"));
    EXPECT_EQ(3, activity.CountOf("Request submitted, files created"));
    EXPECT_EQ((std::vector<std::string>{"2011032510.CSV", "2011032511.CSV", "2011032512.CSV"}),
              test::FilesIn(program / "out"));
    EXPECT_TRUE(test::FilesIn(CacheFolder()).empty());
}

TEST_F(ExportCycleTest, StepIsInMinutesWhateverTheUnitLetterAndTheCursorIsNotTruncatedToTheHour) {
    AppConfig().setItem("DDE_DURATION", "59m");
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ((std::vector<int>{10, 10, 11, 12}), Hours(form.startDates));
    EXPECT_EQ(At(10, 59), form.startDates[1]);
    EXPECT_EQ(At(12, 57), form.startDates[3]);

    AppConfig().setItem("DDE_DURATION", "2h");
    RecordingForm f;
    ExportCycle run(f);
    run.RangeStart = At(10);
    run.RangeEnd = At(11);
    EXPECT_TRUE(run.ProcessHistFiles());
    EXPECT_EQ(30, f.requests);
}

TEST_F(ExportCycleTest, ProgressCountsTheRequestsStillToMakeIncludingTheCurrentOne) {
    AppConfig().setItem("DDE_DURATION", "59m");
    cycle.RangeEnd = At(12);
    std::vector<std::pair<DateTime, long>> progress;
    int finished = 0;
    cycle.OnProgress = [&](const DateTime& hour, long remaining) { progress.emplace_back(hour, remaining); };
    cycle.OnFinished = [&] { ++finished; };
    EXPECT_TRUE(cycle.ProcessHistFiles());
    ASSERT_EQ(3u, progress.size());
    EXPECT_EQ(std::make_pair(At(10), 3L), progress[0]);
    EXPECT_EQ(std::make_pair(At(10), 2L), progress[1]);
    EXPECT_EQ(std::make_pair(At(11), 1L), progress[2]);
    EXPECT_EQ(1, finished);
}

TEST_F(ExportCycleTest, ServiceRunMovesLastRunToTheEndHourOnTheFirstSuccessAndSavesIt) {
    cycle.ServiceRunning = true;
    cycle.RangeEnd = At(13, 20);
    std::vector<std::string> lastRunSeen;
    form.onSend = [&](int) { lastRunSeen.push_back(AppConfig().item("LAST_RUN")); };
    form.sendResult = [](int n) { return n != 1 && n != 3; };
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ((std::vector<std::string>{"03-24-2011 00:00:00", "03-24-2011 00:00:00", "2011-03-25 13:00:00"}),
              lastRunSeen);
    EXPECT_EQ("2011-03-25 13:00:00", AppConfig().item("LAST_RUN"));
    EXPECT_NE(std::string::npos, test::ReadFile(IniFile()).find("LAST_RUN=2011-03-25 13:00:00\r\n"));
    // A failed hour is reported and skipped, not retried.
    EXPECT_TRUE(activity.Has("Unable to create file for: 2011-03-25 10:00:00"));
    EXPECT_TRUE(activity.Has("Unable to create file for: 2011-03-25 12:00:00"));
    EXPECT_EQ(3, form.requests);
}

TEST_F(ExportCycleTest, ManualRunOrFailedMoveLeavesLastRunAlone) {
    cycle.ServiceRunning = false;
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ("03-24-2011 00:00:00", AppConfig().item("LAST_RUN"));
    EXPECT_EQ("", test::ReadFile(IniFile()));

    // An output "folder" that is a file makes every move fail.
    activity.lines.clear();
    test::WriteFile(program / "blocked", "x");
    AppConfig().setItem("OUTPUT_FOLDER", program / "blocked");
    RecordingForm serviceForm;
    ExportCycle service(serviceForm);
    service.ServiceRunning = true;
    service.RangeStart = At(10);
    service.RangeEnd = At(12);
    EXPECT_TRUE(service.ProcessHistFiles());
    EXPECT_EQ("03-24-2011 00:00:00", AppConfig().item("LAST_RUN"));
    EXPECT_EQ(2, activity.CountOf("Request submitted, files created"));
    EXPECT_TRUE(activity.HasPrefix("Error: Unable to Move CSV Files: ("));
}

TEST_F(ExportCycleTest, FilteredListStopsAtTheFirstMissingNumberAndIsOnlyUsedWhenSelectAllIsFalse) {
    VRXConfiguration& config = AppConfig();
    config.DefineTree("TAGNAME_1", "FT101");
    config.DefineTree("TAGNAME_3", "FT103");

    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_FALSE(form.Called("SetTagList"));

    config.setItem("SELECTALLTAGS", "false");
    RecordingForm filtered;
    ExportCycle second(filtered);
    second.RangeStart = At(10);
    second.RangeEnd = At(11);
    EXPECT_TRUE(second.ProcessHistFiles());
    ASSERT_TRUE(filtered.Called("SetTagList"));
    EXPECT_EQ(std::vector<std::string>{"FT101"}, filtered.tagKeys);
}

TEST_F(ExportCycleTest, BadSettingsDuplicateTagsUnreadableStartOrFailedInitEndTheCycleBeforeAnyRequest) {
    struct Case {
        const char* key;
        const char* value;
        const char* linePrefix;
    };
    const Case cases[] = {
        {"DDE_DURATION", "0m", "ERROR: ProcessHistFiles(5): "},  // would never reach the end
        {"DDE_DURATION", "-5m", "ERROR: ProcessHistFiles(5): "},
        {"DDE_DURATION", "", "ERROR: ProcessHistFiles(5): "},
        {"DDE_DURATION", "m", "ERROR: ProcessHistFiles(13): "},
        {"DDE_DURATION", "xm", "ERROR: ProcessHistFiles(13): "},
        {"SELECTALLTAGS", "maybe", "ERROR: ProcessHistFiles(13): "},
        {"SELECTALLTAGS", "FALSE", "ERROR: ProcessHistFiles(457): "},  // TAGNAME_1 and _2 the same
        {"RANGE_START", "tomorrow", "ERROR: ProcessHistFiles(13): "},
        {"INIT", "fails", "Unable to initialize connection with HistData thru DDE at this time"},
    };
    AppConfig().DefineTree("TAGNAME_1", "FT101");
    AppConfig().DefineTree("TAGNAME_2", "FT101");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        AppConfig().setItem("DDE_DURATION", "60m");
        AppConfig().setItem("SELECTALLTAGS", "TRUE");
        if (AppConfig().ItemExists(c.key)) AppConfig().setItem(c.key, c.value);
        activity.lines.clear();
        RecordingForm f;
        f.initResult = std::string(c.key) != "INIT";
        ExportCycle run(f);
        if (std::string(c.key) == "RANGE_START") run.RangeStart = std::string(c.value); else run.RangeStart = At(10);
        run.RangeEnd = At(12);
        int finished = 0;
        run.OnFinished = [&] { ++finished; };
        EXPECT_FALSE(run.ProcessHistFiles());
        EXPECT_TRUE(activity.HasPrefix(c.linePrefix));
        EXPECT_EQ(0, f.requests);
        EXPECT_EQ(std::string(c.key) == "INIT", f.Called("Init"));
        EXPECT_FALSE(f.Called("ClearMemory"));
        EXPECT_EQ(0, finished);
        EXPECT_FALSE(run.Running());
    }
}

TEST_F(ExportCycleTest, CycleStartedInsideARequestIsRefusedAndTheRunningOneCarriesOn) {
    std::vector<bool> nested;
    std::vector<bool> runningSeen;
    form.onSend = [&](int n) {
        runningSeen.push_back(cycle.Running());
        if (n == 1) nested.push_back(cycle.ProcessHistFiles());
    };
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ(std::vector<bool>{false}, nested);
    EXPECT_EQ((std::vector<bool>{true, true, true}), runningSeen);
    EXPECT_EQ(1, activity.CountOf("Export already running; request ignored"));
    EXPECT_EQ(3, form.requests);
    EXPECT_EQ(1, std::count(form.calls.begin(), form.calls.end(), "Init"));
    EXPECT_FALSE(cycle.Running());
    EXPECT_TRUE(cycle.ProcessHistFiles());  // free again afterwards
}

}  // namespace
}  // namespace hdq
