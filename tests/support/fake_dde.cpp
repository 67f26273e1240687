#include "fake_dde.h"

#include <algorithm>

#include "app/shared.h"
#include "core/error.h"
#include "tagnamex_writer.h"

namespace hdq::test {

// ---- FakeDdeChannel

void FakeDdeChannel::SetLinkMode(LinkMode mode) {
    if (mode == LinkMode::None) {
        if (mode_ != LinkMode::None) events.push_back({DdeEvent::Kind::Disconnect, linkTopic, ""});
        mode_ = LinkMode::None;
        return;
    }
    events.push_back({DdeEvent::Kind::Connect, linkTopic, ""});
    if (refuseConnect) {
        mode_ = LinkMode::None;
        throw VrxError(dde_err::NoResponse, "No foreign application responded to a DDE initiate");
    }
    mode_ = LinkMode::Manual;
}

void FakeDdeChannel::Check(const std::string& item) const {
    if (mode_ != LinkMode::Manual) throw VrxError(dde_err::NoChannel, "DDE method invoked with no channel open");
    if (refusedItems.count(item)) {
        throw VrxError(dde_err::Refused, "Foreign application won't perform DDE method or operation");
    }
    if (timedOutItems.count(item)) throw VrxError(dde_err::Timeout, "Timeout occurred while waiting for DDE response");
}

std::string FakeDdeChannel::Next(std::deque<std::string>& q) {
    if (q.empty()) return "";
    std::string v = q.front();
    if (q.size() > 1) q.pop_front();
    return v;
}

void FakeDdeChannel::LinkPoke() {
    Check(linkItem);
    events.push_back({DdeEvent::Kind::Poke, linkItem, text});
    lastPoked[linkItem] = text;
    if (linkItem == "WRITEFILE") {
        ++writeCount;
        const std::string fileName = lastPoked["FILENAME"];
        if (!csvContents.empty()) WriteFile(fileName, Next(csvContents));
        if (onWriteFile) onWriteFile(fileName);
    }
}

void FakeDdeChannel::LinkRequest() {
    Check(linkItem);
    text = linkItem == "ERROR" ? Next(errorAnswers) : lastPoked[linkItem];
    events.push_back({DdeEvent::Kind::Request, linkItem, text});
}

std::vector<std::string> FakeDdeChannel::PokedItems() const {
    std::vector<std::string> items;
    for (const DdeEvent& e : events) {
        if (e.kind == DdeEvent::Kind::Poke) items.push_back(e.item);
    }
    return items;
}

std::vector<std::pair<std::string, std::string>> FakeDdeChannel::Pokes() const {
    std::vector<std::pair<std::string, std::string>> pokes;
    for (const DdeEvent& e : events) {
        if (e.kind == DdeEvent::Kind::Poke) pokes.emplace_back(e.item, e.value);
    }
    return pokes;
}

std::vector<std::string> FakeDdeChannel::Transactions() const {
    std::vector<std::string> out;
    for (const DdeEvent& e : events) {
        if (e.kind == DdeEvent::Kind::Poke) out.push_back(e.item);
        if (e.kind == DdeEvent::Kind::Request) out.push_back("?" + e.item);
    }
    return out;
}

// ---- FakeHistDataHost

bool FakeHistDataHost::IsAppRunningTitled(const std::string& title) {
    titlesAsked.push_back(title);
    if (never_) return false;
    if (static_cast<int>(starts.size()) < startsNeeded_) return false;
    if (startsNeeded_ == 0) return true;
    return clock_.TickMs() - lastStartTick_ >= delayMs_;
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
    waits.push_back(intervalMs);
    if (intervalMs > 0) clock_.SetTick(clock_.TickMs() + static_cast<uint32_t>(intervalMs));
    return 258;
}

// ---- AppSandbox

AppSandbox::AppSandbox() {
    CreateSharedObjects();
    SetProgramFolderForTests(temp_.path());
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
    const std::pair<const char*, std::string> defaults[] = {
        {"DDE_LINKTOPIC", "tagname"},
        {"DDE_LGH_FOLDER", ""},
        {"DDE_TAGNAME_FILE", ""},
        {"DDE_HISTDATA_FOLDER", ""},
        {"OUTPUT_FOLDER", temp_.path() + "\\cache"},
        {"VERBOSITY", "2"},
        {"HELPTOPIC", "12120"},
        {"DDE_TIMEOUT", "600"},
        {"DDE_DURATION", "59m"},
        {"DDE_INTERVAL", "1m"},
        {"SELECTALLTAGS", "TRUE"},
        {"VALIDTRENDBYTES", ""},
    };
    for (const auto& [key, value] : defaults) cfg.DefineTree(key, value);
}

AppSandbox::~AppSandbox() {
    AppLog().closeLog();
    SetActivityList(nullptr);
    SetProgramFolderForTests("");
    CreateSharedObjects();
}

void AppSandbox::Set(const std::string& key, const std::string& value) {
    AppConfig().DefineTree(key, value);
    AppConfig().setItem(key, value);
}

std::vector<std::string> AppSandbox::LogLines() const {
    std::vector<std::string> lines;
    const std::string& file = AppLog().CurrentFile();
    if (file.empty()) return lines;
    for (std::string line : ReadLines(file)) {
        // "hh:mm:ss : " in front of every message; a message holding CR LF continues bare.
        if (line.size() >= 11 && line[2] == ':' && line[5] == ':' && line.compare(8, 3, " : ") == 0) {
            line.erase(0, 11);
        }
        lines.push_back(line);
    }
    return lines;
}

bool AppSandbox::Logged(const std::string& line) const { return CountLogged(line) > 0; }

int AppSandbox::CountLogged(const std::string& line) const {
    const std::vector<std::string> lines = LogLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

bool AppSandbox::LoggedStartingWith(const std::string& prefix) const {
    for (const std::string& l : LogLines()) {
        if (l.compare(0, prefix.size(), prefix) == 0) return true;
    }
    return false;
}

// ---- DdeFormHarness

const char* const DdeFormHarness::kGoodCsv =
    "$date,$time,A,B,C\r\n03/25/2009,14:00:00,1,2,3\r\n03/25/2009,14:01:00,1,2,3\r\n";

DdeFormHarness::DdeFormHarness() {
    WriteTagnameX(sb / "tagname.x", {{"A", "first"}, {"B", "second"}, {"C", "third"}});
    sb.Set("DDE_TAGNAME_FILE", sb / "tagname.x");
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
