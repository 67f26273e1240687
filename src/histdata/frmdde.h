#pragma once
// frmDDE: the hidden "DDE Communication" window's request session with HistData. One
// SendRequest asks HistData for the CSV file of one hour over a cold DDE link, then checks it.
// The logic is portable: the DDE channel and the operating system come in through seams.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/datetime.h"
#include "histdata/dde_channel.h"
#include "histdata/dde_form.h"
#include "histdata/host.h"
#include "logging/activity.h"
#include "tagdict/tagnamex.h"

namespace hdq {

class VrxError;

class FrmDDE : public DdeForm {
public:
    // settings is asked at Init and at each request; log takes the session's lines.
    FrmDDE(DdeChannel& channel, HistDataHost& host, ActivityLog& log, std::function<DdeSettings()> settings);

    void SetTagList(TagTable* tags) override { tagList_ = tags; }
    bool Init() override;
    void SetStartDate(const DateTime& value) override;
    void SetStartTime(const DateTime& value) override;
    // Text forms: a text that reads as a date-time is taken, anything else leaves the state.
    void SetStartDate(const std::string& text);
    void SetStartTime(const std::string& text);
    bool SendRequest() override;
    bool NoData() const override { return noData_; }
    bool TimedOut() const override { return timedOut_; }
    bool Supervise() override { return CheckHistDataRunning(); }
    void ClearMemory() override;
    // Asked before each transaction and pause: true ends the request under way at once (the
    // program or the Windows session is ending), so the program never waits out a whole hour
    // of time-outs before it can go.
    void SetStopCheck(std::function<bool()> stop) { stop_ = std::move(stop); }

    // The session's state, for the export cycle's display and for tests.
    const std::string& StartDateText() const { return startDateText_; }
    const std::string& StartTimeText() const { return startTimeText_; }
    const std::string& CsvPath() const { return csvPath_; }
    const std::string& CacheFolder() const { return cacheFolder_; }
    int32_t TagCount() const { return tagCount_; }

    static constexpr const char* kHistDataTitle = "Historical Data Manager";

private:
    bool CheckHistDataRunning();   // frmdde_supervision.cpp
    bool WaitForHistDataWindow();  // frmdde_supervision.cpp
    void WaitForHistDataService(); // frmdde_supervision.cpp
    // Opens the conversation, but only with a HistData whose window answers: the initiate
    // would wait for a hung one without a limit.
    void OpenConversation();
    bool Stopping() const { return stop_ && stop_(); }
    bool SetupDDE();
    bool PokeTagnames();
    int32_t CountTagsToPoke(bool selectAll);
    bool MakeFiles();
    bool CheckFileExist();         // csv_check.cpp
    void LoadTagnameFile();

    void Log(const std::string& text, int level);
    void LogError(long number, const std::string& description, int level = 1);
    // From inside a catch: the "ERROR (n): " line of the exception being handled; a time-out
    // is kept for TimedOut().
    void LogCurrentFailure();
    // pump: whether the messages that arrived meanwhile are handled first (see CheckCanGoOn).
    void Poke(const std::string& item, const std::string& value, bool pump = true);
    // Before each transaction: an hour whose request as a whole has run past its bound fails,
    // so a HistData that answers each transaction just inside the time-out cannot hold the
    // service for the length of a whole tag list.
    void CheckHourBound() const;
    // Before each transaction and pause: the messages that arrived, the stop check, then the
    // hour's bound. Without pumping only the stop check and the bound.
    void CheckCanGoOn(bool pump = true);
    void Pause();
    // No file of a failed hour may stay behind for the move.
    void DiscardHourFile();
    void LogPoked(const char* prefix);

    DdeChannel& channel_;
    HistDataHost& host_;
    ActivityLog& log_;
    std::function<DdeSettings()> settingsSource_;
    std::function<bool()> stop_;
    DdeSettings settings_;
    TagTable* tagList_ = nullptr;
    std::unique_ptr<TagnameXParser> dictionary_;
    int32_t tagCount_ = 0;
    // The hour being requested; its text forms are what HistData and the log see.
    std::optional<DateTime> startDate_;
    std::string startDateText_;
    std::string startTimeText_;
    std::string cacheFolder_;
    std::string csvPath_;
    bool noData_ = false;
    bool timedOut_ = false;
    uint32_t requestStartedMs_ = 0;
    uint32_t hourBoundMs_ = 0;
};


}  // namespace hdq
