#include "histdata/frmdde.h"

#include <algorithm>

#include "core/file_checks.h"
#include "core/files.h"
#include "core/clock.h"
#include "core/error.h"
#include "core/text.h"

namespace hdq {
namespace {

// The pauses give HistData time to take in what was poked. Only the soak benchmark's own
// build shortens them (HDQ_BENCH_PAUSE_MS), since 500 hours at two seconds each would take a
// quarter of an hour of waiting; the shipped program always waits the full second.
#ifdef HDQ_BENCH_PAUSE_MS
constexpr int32_t kPauseMs = HDQ_BENCH_PAUSE_MS;
#else
constexpr int32_t kPauseMs = 1000;
#endif
constexpr long kObjectNotSet = 91;
// How long HistData's window may take to take a message before it counts as hung.
constexpr uint32_t kAnswerWaitMs = 5000;

// Ends a request because the program is ending. Not a std::exception on purpose: the pieces'
// handlers report what went wrong with HistData, and a stop must pass them untouched on its
// way to SendRequest.
struct RequestStopped {};

bool SettingBool(const std::string& v) {
    std::optional<bool> b = ParseBool(v);
    if (!b) throw VrxError(err::TypeMismatch, "Type mismatch");
    return *b;
}

}  // namespace

DdeSettings DdeSettings::From(const VRXConfiguration& c, const std::string& cacheFolder) {
    return DdeSettings{c.item("DDE_TIMEOUT"),   c.item("DDE_LINKTOPIC"), c.item("DDE_LGH_FOLDER"),
                       c.item("DDE_TAGNAME_FILE"), c.item("DDE_HISTDATA_FOLDER"), c.item("DDE_DURATION"),
                       c.item("DDE_INTERVAL"),  c.item("SELECTALLTAGS"), c.item("VALIDTRENDBYTES"),
                       c.item("VERBOSITY"),     fsys::WithBackslash(cacheFolder)};
}

FrmDDE::FrmDDE(DdeChannel& channel, HistDataHost& host, ActivityLog& log, std::function<DdeSettings()> settings)
    : channel_(channel), host_(host), log_(log), settingsSource_(std::move(settings)) {}

void FrmDDE::Log(const std::string& text, int level) { log_.WriteLog(text, level); }

void FrmDDE::LogError(long number, const std::string& description, int level) {
    Log("ERROR (" + std::to_string(number) + "): " + description, level);
}

bool FrmDDE::Init() {
    settings_ = settingsSource_();
    cacheFolder_ = settings_.cacheFolder;
    Log("start frmDDE Init", 2);
    if (!CheckHistDataRunning()) {
        Log("Error: Unable to start HistData.exe", 0);
        return false;
    }
    Log("frmDDE Init - HistData running", 2);
    csvPath_.clear();
    const DateTime start = TruncateToHour(AppClock().Now()).AddDays(-1);
    startDate_ = start;
    startDateText_ = FormatGeneral(start);
    startTimeText_ = startDateText_;
    Log("Startdate: " + startDateText_, 2);
    // A failure here (a bad VALIDTRENDBYTES piece) is the cycle's to handle.
    LoadTagnameFile();
    return true;
}

void FrmDDE::LoadTagnameFile() {
    auto reader = std::make_unique<TagnameXParser>(settings_.verbosity, &log_);
    ApplyValidTrendBytes(*reader, settings_.validTrendBytes);
    // A dictionary that cannot be read leaves the list empty; the tag poke then refuses the
    // request with its own message.
    reader->ReadTAGNAMEXfile(settings_.tagFile);
    dictionary_ = std::move(reader);
}

void FrmDDE::LogCurrentFailure() {
    try {
        throw;
    } catch (const VrxError& e) {
        timedOut_ = timedOut_ || e.Number() == dde_err::Timeout;
        LogError(e.Number(), e.Description());
    } catch (const std::exception& e) {
        LogError(51, e.what());  // an internal error of the platform
    }
}

void FrmDDE::SetStartDate(const DateTime& value) {
    if (value.IsValid()) {
        startDate_ = value;
        startDateText_ = FormatPattern(value, "yyyy/mm/dd hh:00");
        csvPath_ = cacheFolder_ + FormatPattern(value, "YYYYMMDDHH") + ".CSV";
    }
    Log("frmDDE: StartDate: " + startDateText_, 2);
}

// A text that is not a date-time becomes an invalid value, which leaves the state and logs.
constexpr DateTime kNotADate{0, 0, 0, 0, 0, 0};

void FrmDDE::SetStartDate(const std::string& text) { SetStartDate(ParseDateTime(text).value_or(kNotADate)); }

void FrmDDE::SetStartTime(const DateTime& value) {
    if (value.IsValid()) startTimeText_ = FormatPattern(value, "hh:00:00");
    Log("frmDDE: StartTime: " + startTimeText_, 2);
}

void FrmDDE::SetStartTime(const std::string& text) { SetStartTime(ParseDateTime(text).value_or(kNotADate)); }

// Three DDE time-outs and the two pauses, but never less than ten minutes: a long tag list
// poked one item at a time takes its time on a healthy HistData too.
static uint32_t HourBoundMs(int32_t timeoutTenths) {
    constexpr uint32_t kAtLeastMs = 10 * 60 * 1000;
    const uint32_t bound = static_cast<uint32_t>(std::max(timeoutTenths, 0)) * 300u + 2u * kPauseMs;
    return std::max(bound, kAtLeastMs);
}

void FrmDDE::CheckCanGoOn(bool pump) {
    // Exit arrives as a posted message, and Wine's DDEML dispatches none while a transaction
    // waits: without this it would be seen only at the next pause, a whole tag list later.
    if (pump) host_.WaitPumpingMessages(0);
    if (Stopping()) throw RequestStopped{};
    CheckHourBound();
}

void FrmDDE::Pause() {
    CheckCanGoOn();
    host_.WaitPumpingMessages(kPauseMs);
}

void FrmDDE::DiscardHourFile() {
    if (!csvPath_.empty()) fsys::DeleteFile(csvPath_);
}

void FrmDDE::OpenConversation() {
    channel_.linkTopic = "histdata|" + settings_.linkTopic;
    if (!host_.IsAppResponding(kHistDataTitle, kAnswerWaitMs)) {
        throw VrxError(dde_err::Timeout, "HistData does not answer: its window takes no messages");
    }
    channel_.SetLinkMode(LinkMode::Manual);
}

void FrmDDE::CheckHourBound() const {
    if (AppClock().TickMs() - requestStartedMs_ > hourBoundMs_) {
        throw VrxError(dde_err::Timeout, "The request for this hour took longer than " +
                                             std::to_string(hourBoundMs_ / 1000) + " seconds");
    }
}

bool FrmDDE::SendRequest() {
    noData_ = false;
    timedOut_ = false;
    settings_ = settingsSource_();
    settings_.cacheFolder = cacheFolder_;  // the file's place was fixed with the hour
    requestStartedMs_ = AppClock().TickMs();
    try {
        hourBoundMs_ = HourBoundMs(ToInt16OrRaise(settings_.timeout));
    } catch (const VrxError&) {
        hourBoundMs_ = HourBoundMs(0);  // SetupDDE reports the bad setting
    }
    try {
        if (SetupDDE()) {
            if (!PokeTagnames()) {
                Log("Error: Unable to Poke tags", 0);
                return false;
            }
        } else {
            // "HistDate" as the plants' log readers and the help's table have always matched it.
            Log("Error: Unable to get handle to HistDate through DDE", 0);
            // A HistData that did not answer in time would only run the write order into its
            // time-outs as well. Otherwise go on regardless: a conversation left open by an
            // earlier request may still carry the write; when none is open the first poke of
            // MakeFiles fails.
            if (timedOut_) return false;
        }
        Log("Completed connecting to HISTDATA", 2);
        if (!MakeFiles()) {
            Log("Error: Unable to Make CSV", 0);
            return false;
        }
        Log("Completed making DDE files", 2);
        if (!CheckFileExist()) {
            Log("Error: Unable to verify CSV files", 0);
            return false;
        }
        Log("Completed checking DDE files", 2);
        return true;
    } catch (const RequestStopped&) {
        Log("Request stopped: the program is ending", 1);
        DiscardHourFile();
        return false;
    } catch (...) {
        return false;
    }
}

void FrmDDE::Poke(const std::string& item, const std::string& value, bool pump) {
    CheckCanGoOn(pump);
    channel_.linkItem = item;
    channel_.text = value;
    channel_.LinkPoke();
}

void FrmDDE::LogPoked(const char* prefix) {
    // Read back from the channel: the log shows what really went out.
    Log(std::string(prefix) + channel_.linkItem + ", " + channel_.text, 2);
}

bool FrmDDE::SetupDDE() {
    try {
        Log("Begin Setup DDE ...", 2);
        channel_.text.clear();
        channel_.linkTimeout = ToInt16OrRaise(settings_.timeout);
        CheckCanGoOn();
        OpenConversation();
        Log("=+= Init: " + channel_.linkTopic + ", " + std::to_string(static_cast<int>(channel_.linkMode())) + ", " +
                std::to_string(channel_.linkTimeout),
            2);

        std::string dataDir = settings_.lghFolder;
        if (!dataDir.empty() && dataDir.back() == '\\') dataDir.pop_back();
        Poke("DATADIR", dataDir);
        LogPoked("=+= poked: ");

        const std::string& tagFile = settings_.tagFile;
        const size_t slash = tagFile.rfind('\\');
        std::string dbDir = slash == std::string::npos ? std::string() : tagFile.substr(0, slash);
        if (!dbDir.empty() && dbDir.back() == '\\') dbDir.pop_back();
        Poke("DBDIR", dbDir);
        LogPoked("=+= poked: ");

        Poke("DURATION", settings_.duration);
        LogPoked("=+= poked: ");
        Poke("INTERVAL", settings_.interval);
        LogPoked("=+= poked: ");

        Pause();
        Log("End setup DDE ...", 2);
        return true;
    } catch (const std::exception&) {
        LogCurrentFailure();
    }
    return false;
}

int32_t FrmDDE::CountTagsToPoke(bool selectAll) {
    if (!dictionary_) throw VrxError(kObjectNotSet, "Object variable or With block variable not set");
    if (!selectAll && !tagList_) return 0;
    int32_t count = 0;
    for (dictionary_->MoveFirst(); !dictionary_->Eof(); dictionary_->MoveNext()) {
        const std::string name = Trim(dictionary_->CurrentTAG());
        if (name.empty()) continue;
        if (selectAll || tagList_->Exists(name)) ++count;
    }
    return count;
}

bool FrmDDE::PokeTagnames() {
    try {
        Log("Begin poking tagnames ...", 2);
        const std::string& selectText = settings_.selectAllTags;
        const bool selectAll = SettingBool(selectText);
        // Count what will really be poked, so that the last item poked is the one without
        // the continuation mark even when listed tags are missing from the dictionary.
        tagCount_ = CountTagsToPoke(selectAll);
        Log("configured to select all tags? " + selectText + ", COUNT= " + std::to_string(tagCount_), 2);
        if (tagCount_ < 1) return false;

        // Thousands of tags: nothing beside the poke itself unless the log asks for the lines,
        // and the messages that arrived (an Exit) are handled every few pokes, a few
        // milliseconds apart, instead of with each.
        const bool tagLines = log_.Verbosity() >= 2;
        constexpr int kPokesPerPump = 16;
        int16_t n = 0;
        for (dictionary_->MoveFirst(); !dictionary_->Eof(); dictionary_->MoveNext()) {
            const std::string name = Trim(dictionary_->CurrentTAG());
            if (name.empty()) {
                if (tagLines) Log("Skip tag entry that is blank", 2);
                continue;
            }
            if (!selectAll && !tagList_->Exists(name)) continue;
            if (tagLines) Log("Current tag: " + name, 2);
            std::string item = n == 0 ? std::string("TAGS") : "TAGS" + std::to_string(n);
            std::string value = n == 0 ? "$date,$time," + name : name;
            if (tagLines) Log("=+= inserted text", 2);
            if (n < tagCount_ - 1) value += ",+";
            Poke(item, value, n % kPokesPerPump == 0);
            if (tagLines) LogPoked("=+= Poked: ");
            if (n == INT16_MAX) throw VrxError(err::Overflow, "Overflow");
            ++n;
        }
        Log("End poking " + std::to_string(n) + " tagnames ...", 2);
        return true;
    } catch (const std::exception&) {
        LogCurrentFailure();
    }
    return false;
}

bool FrmDDE::MakeFiles() {
    long pendingNumber = 0;
    std::string pendingText;
    try {
        Log("Start DDE MakeFiles ... ", 2);
        if (!ValidatePath(cacheFolder_, log_)) MakeFolders(cacheFolder_);
        Poke("STARTTIME", startTimeText_);
        LogPoked("=+= poked: ");
        Poke("STARTDATE", startDate_ ? FormatPattern(*startDate_, "mm/dd/yyyy") : std::string());
        LogPoked("=+= poked: ");
        Poke("FILENAME", csvPath_);
        LogPoked("=+= poked: ");
        Pause();

        CheckCanGoOn();
        channel_.text = "1";
        channel_.linkItem = "WRITEFILE";
        Log("=+= Poking: " + channel_.linkItem + ", " + channel_.text, 2);
        channel_.LinkPoke();
        Log("=+= poked writefile command", 2);

        CheckCanGoOn();
        channel_.linkItem = "ERROR";
        channel_.LinkRequest();
        // HistData answers "None..." when the file was written; the case is its own.
        if (channel_.text.compare(0, 4, "None") == 0) {
            Log("End DDE MakeFiles ... ", 2);
            return true;
        }
    } catch (const VrxError& e) {
        timedOut_ = timedOut_ || e.Number() == dde_err::Timeout;
        pendingNumber = e.Number();
        pendingText = e.Description();
    } catch (const std::exception& e) {
        pendingNumber = 51;
        pendingText = e.what();
    }
    Log("Error occured when trying to make a file from HISTDATA", 1);
    if (pendingNumber > 0) {
        Log("Make Error (" + std::to_string(pendingNumber) + "): " + pendingText, 1);
    }
    // Half-written or stale, it must not reach the move.
    DiscardHourFile();
    return false;
}

void FrmDDE::ClearMemory() {
    tagList_ = nullptr;
    dictionary_.reset();
    startDate_.reset();
    startDateText_.clear();
    startTimeText_.clear();
    tagCount_ = 0;
    csvPath_.clear();
}

}  // namespace hdq
