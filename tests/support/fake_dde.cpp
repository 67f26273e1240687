#include "fake_dde.h"

#include <algorithm>

#include "app/shared.h"
#include "app/startup.h"
#include "core/error.h"
#include "tagnamex_writer.h"

namespace hdq::test {

// ---- FakeDdeChannel

void FakeDdeChannel::SetLinkMode(LinkMode mode) {
    if (mode == LinkMode::None) {
        mode_ = LinkMode::None;
        return;
    }
    transcript.push_back("connect " + linkTopic);
    if (refuseConnects > 0) {
        --refuseConnects;
        mode_ = LinkMode::None;
        throw VrxError(dde_err::NoResponse, "No foreign application responded to a DDE initiate");
    }
    mode_ = LinkMode::Manual;
}

void FakeDdeChannel::CheckOpen() const {
    if (mode_ != LinkMode::Manual) throw VrxError(dde_err::NoChannel, "DDE method invoked with no channel open");
    if (timeOutOn.count(linkItem)) throw VrxError(dde_err::Timeout, "Timeout occurred while waiting for DDE response");
}

// The front entry; the last one stays and repeats.
std::string FakeDdeChannel::Next(std::deque<std::string>& q) {
    if (q.empty()) return "";
    std::string v = q.front();
    if (q.size() > 1) q.pop_front();
    return v;
}

void FakeDdeChannel::LinkPoke() {
    CheckOpen();
    if (onPoke) onPoke(linkItem);
    transcript.push_back(linkItem + "=" + text);
    lastPoked[linkItem] = text;
    if (linkItem == "WRITEFILE") {
        ++writeCount;
        const std::string fileName = lastPoked["FILENAME"];
        if (!csvContents.empty()) WriteFile(fileName, Next(csvContents));
        if (onWriteFile) onWriteFile(fileName);
    }
}

void FakeDdeChannel::LinkRequest() {
    CheckOpen();
    transcript.push_back("?" + linkItem);
    text = linkItem == "ERROR" ? Next(errorAnswers) : lastPoked[linkItem];
}

// ---- FakeHistDataHost

bool FakeHistDataHost::IsAppRunningTitled(const std::string&) {
    if (never_) return false;
    if (static_cast<int>(starts.size()) < startsNeeded_) return false;
    if (startsNeeded_ == 0) return true;
    return clock_.TickMs() - lastStartTick_ >= delayMs_;
}

bool FakeHistDataHost::IsAppResponding(const std::string& title, uint32_t timeoutMs) {
    if (!hung || !IsAppRunningTitled(title)) return true;
    clock_.SetTick(clock_.TickMs() + timeoutMs);
    return false;
}

bool FakeHistDataHost::StartMinimized(const std::string& exePath, OsError* err) {
    starts.push_back(exePath);
    if (failStart_) {
        if (err) *err = startError_;
        return false;
    }
    lastStartTick_ = clock_.TickMs();
    return true;
}

uint32_t FakeHistDataHost::WaitPumpingMessages(int32_t intervalMs) {
    if (onDispatch) onDispatch();
    if (intervalMs == 0) return 258;
    waits.push_back(intervalMs);
    if (intervalMs > 0) clock_.SetTick(clock_.TickMs() + static_cast<uint32_t>(intervalMs));
    return 258;
}

// ---- ScriptedForm

bool ScriptedForm::SendRequest() {
    // A cycle whose cursor never reaches the end must fail the test, not hang it.
    if (++requests > 1000) throw VrxError(99999, "runaway cycle");
    if (onRequest) onRequest(requests);
    const DateTime hour = TruncateToHour(starts.back());
    noData = emptyHours.count(hour) > 0;
    timedOut = hungHours.count(hour) > 0;
    if (requests == failRequest || noData || timedOut) return false;
    if (auto it = failHour.find(hour); it != failHour.end() && it->second > 0) {
        --it->second;
        return false;
    }
    const std::string name = FormatPattern(hour, "yyyymmddhh") + ".CSV";
    // Where the request window would have HistData write: the cache, or its work folder.
    const std::string folder = CurrentDdeSettings().cacheFolder;
    MakeFolders(folder);
    WriteFile(folder + name, "Date,Time,A\r\n03/25/2011,10:00:00,1\r\n");
    return true;
}

// ---- RecordingActivityList

long RecordingActivityList::CountOf(const std::string& line) const {
    return std::count(lines.begin(), lines.end(), line);
}

bool RecordingActivityList::HasPrefix(const std::string& prefix) const { return AnyStartsWith(lines, prefix); }

// ---- AppSandbox

AppSandbox::AppSandbox() {
    CreateSharedObjects(ProgramFiles{temp_.path(), fsys::ExeName()});
    SetActivityList(nullptr);
    VRXLoggerTXT& log = AppLog();
    log.SetLogPath(temp_ / "log");
    log.SetHandleFilePath(temp_ / "test.log_handle");
    log.SetBufferLength(1);
    log.SetVerbosity(2);
    log.SetEnabled(true);

    VRXConfiguration& cfg = AppConfig();
    cfg.setPath(temp_ / "test.ini");
    cfg.SetLogHandler(&log);
    for (const auto& [key, value] : DefaultSettings(AppFiles(), DateTime{2011, 3, 24, 0, 0, 0})) {
        cfg.DefineTree(key, value);
    }
    // A topic to talk on, and every line in the log.
    Set("DDE_LINKTOPIC", "tagname");
    Set("VERBOSITY", "2");
    settings_.reset(new SettingsContext{cfg, AppActivity(), AppMsgBox(), temp_.path(), "HistData to Brel Qorp", {}});
    SetSettingsContext(settings_.get());
}

AppSandbox::~AppSandbox() {
    SetSettingsContext(nullptr);
    AppLog().closeLog();
    SetActivityList(nullptr);
    CreateSharedObjects();
}

void AppSandbox::Set(const std::string& key, const std::string& value) {
    AppConfig().DefineTree(key, value);
    AppConfig().setItem(key, value);
}

std::vector<std::string> AppSandbox::LogLines() const {
    const std::string& file = AppLog().CurrentFile();
    return file.empty() ? std::vector<std::string>{} : Messages(ReadFile(file));
}

int AppSandbox::CountLogged(const std::string& line) const {
    const std::vector<std::string> lines = LogLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool AppSandbox::LoggedStartingWith(const std::string& prefix) const { return AnyStartsWith(LogLines(), prefix); }

// ---- DdeFormHarness

const char* const DdeFormHarness::kGoodCsv =
    "$date,$time,A,B,C\r\n03/25/2009,14:00:00,1,2,3\r\n03/25/2009,14:01:00,1,2,3\r\n";

DdeFormHarness::DdeFormHarness() {
    WriteTagnameX(sb / "tagname.x", {{"A", "first"}, {"B", "second"}, {"C", "third"}});
    sb.Set("DDE_TAGNAME_FILE", sb / "tagname.x");
    sb.Set("OUTPUT_FOLDER", sb / "out");  // HistData writes into the cache folder itself
    sb.Set("DDE_HISTDATA_FOLDER", "C:\\Wonderware");
    host.WindowPresent();
    channel.csvContents = {kGoodCsv};
    SetActivityList(&activity);
}

DdeFormHarness::~DdeFormHarness() { SetActivityList(nullptr); }

bool DdeFormHarness::RequestHour(const DateTime& hour) {
    if (!form.Init()) return false;
    form.SetStartDate(hour);
    form.SetStartTime(hour);
    return form.SendRequest();
}

}  // namespace hdq::test
