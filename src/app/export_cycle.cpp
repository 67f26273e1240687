#include "app/export_cycle.h"

#include <new>
#include <string>

#include "app/globals.h"
#include "win32/msgwait.h"
#include "app/shared.h"
#include "core/clock.h"
#include "core/scoped_flag.h"
#include "core/error.h"
#include "core/text.h"

namespace hdq {
namespace {

DateTime CursorFrom(const std::variant<DateTime, std::string>& rangeStart) {
    if (const auto* date = std::get_if<DateTime>(&rangeStart)) return *date;
    auto parsed = ParseDateTime(std::get<std::string>(rangeStart));
    if (!parsed) throw VrxError(err::TypeMismatch, "Type mismatch");
    return *parsed;
}

// The step in minutes is the number of DDE_DURATION without its unit letter ("59m" gives 59).
// A step below one minute would never reach the end of the range, so it ends the cycle.
int32_t StepFrom(const std::string& duration) {
    if (duration.empty()) throw VrxError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    const int32_t step = ToInt32OrRaise(duration.substr(0, duration.size() - 1));
    if (step < 1) throw VrxError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    return step;
}

bool SelectAllTags() {
    auto selectAll = ParseBool(AppConfig().item("SELECTALLTAGS"));
    if (!selectAll) throw VrxError(err::TypeMismatch, "Type mismatch");
    return *selectAll;
}

// Requests still to make, this one included: the loop runs while the cursor lies before the
// end hour, and the end hour starts on a whole hour.
long RequestsLeft(const DateTime& cursor, const DateTime& endHour, int32_t stepMinutes) {
    const int64_t span = endHour.ToSeconds() - cursor.ToSeconds();
    const int64_t step = int64_t{stepMinutes} * 60;
    return span <= 0 ? 0 : static_cast<long>((span + step - 1) / step);
}

constexpr const char* kNoConnectionLine = "Unable to initialize connection with HistData thru DDE at this time";

void ReportError(long number, const std::string& description) {
    LogActivity("ERROR: ProcessHistFiles(" + std::to_string(number) + "): " + description, 0);
}

}  // namespace

bool ExportCycle::ProcessHistFiles() {
    // The DDE form serves one request at a time; a timer tick or a manual run arriving inside
    // this cycle's waits must not start a second cycle over the first.
    if (running_) {
        LogActivity("Export already running; request ignored", 0);
        return false;
    }
    const ScopedFlag running(running_);
    try {
        DateTime cursor = CursorFrom(RangeStart);
        const int32_t step = StepFrom(AppConfig().item("DDE_DURATION"));
        LogActivity("Processing Files Starting at: " + FormatGeneral(cursor), 0);

        form_.Load();
        AppLog().WriteLog("loaded DDE form", 2);

        if (!SelectAllTags()) {
            // Build the new table before dropping the old one the form may still point at.
            std::unique_ptr<TagTable> tags = FilterTagHash();
            form_.SetTagList(tags.get());
            filter_ = std::move(tags);
            AppLog().WriteLog("filtertag list loaded", 2);
        }

        if (!form_.Init()) {
            LogActivity(kNoConnectionLine, 0);
            return false;
        }

        Retries();
        failedHours_.clear();
        superviseFirst_ = false;
        const DateTime endHour = TruncateToHour(RangeEnd);
        if (ServiceRunning) {
            lastRun_ = cursor;
            // Hours from LAST_RUN on are asked for below anyway.
            if (retries_->DropFrom(TruncateToHour(cursor))) retries_->Save();
            if (!RetryListedHours(RequestsLeft(cursor, endHour, step))) return false;
        }

        while (TruncateToHour(cursor) < endHour) {
            const DateTime hour = TruncateToHour(cursor);
            if (!ReadyFor(hour)) return false;
            const Outcome outcome = ExportHour(cursor, RequestsLeft(cursor, endHour, step));
            if (outcome == Outcome::Failed) {
                if (ServiceRunning) failedHours_.insert(hour);
            } else {
                failedHours_.erase(hour);
                // A manual run that delivers a listed hour ends its wait too.
                if (retries_->Remove(hour)) retries_->Save();
                if (ServiceRunning) RecordServiceHour(hour);
            }
            cursor = cursor.AddMinutes(step);
        }

        form_.ClearMemory();
        LogActivity("Processing Files completed upto: " + FormatGeneral(endHour), 0);
        if (const auto& waiting = retries_->Entries(); !waiting.empty()) {
            LogActivity(std::to_string(waiting.size()) + " hour(s) wait for retry, the oldest " +
                            FormatGeneral(waiting.front().hour),
                        0);
        }
        if (OnFinished) OnFinished();
        return true;
    } catch (const VrxError& e) {
        ReportError(e.Number(), e.Description());
    } catch (const std::bad_alloc&) {
        ReportError(7, "Out of memory");
    } catch (const std::exception& e) {
        ReportError(err::InvalidProcedureCall, e.what());
    } catch (...) {
        ReportError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    }
    return false;
}

const RetryList& ExportCycle::Retries() {
    if (!retries_) {
        retries_.emplace(RetryFile());
        retries_->Load();
    }
    return *retries_;
}

bool ExportCycle::ReadyFor(const DateTime& hour) {
    const char* why = QuitRequested() ? "the program is ending"
                      : SessionEnding() ? "Windows is ending the session"
                                        : nullptr;
    // What is done is saved hour by hour; the hours from here on are still before LAST_RUN's
    // successor or on the retry list, so the next start asks for them.
    if (!why && superviseFirst_) {
        superviseFirst_ = false;
        // HistData may have exited or hung up the conversation; without it every further
        // hour would fail in milliseconds.
        if (!form_.Supervise()) {
            LogActivity(kNoConnectionLine, 0);
            why = "HistData does not answer";
        }
    }
    if (!why) return true;
    LogActivity("Export stopped before " + FormatGeneral(hour) + ": " + why, 0);
    form_.ClearMemory();
    return false;
}

ExportCycle::Outcome ExportCycle::ExportHour(const DateTime& cursor, long remaining) {
    const DateTime hour = TruncateToHour(cursor);
    if (OnProgress) OnProgress(hour, remaining);
    LogActivity("Processing Data for " + FormatGeneral(hour), 1);
    DeleteUncheckedCsvFiles();
    form_.SetStartDate(cursor);
    form_.SetStartTime(cursor);
    if (!form_.SendRequest()) {
        if (form_.NoData()) {
            LogActivity("No data for " + FormatGeneral(hour) + ": nothing to export", 1);
            return Outcome::NoData;
        }
        LogActivity("Unable to create file for: " + FormatGeneral(hour), 0);
        superviseFirst_ = true;
        return Outcome::Failed;
    }
    Step(HourStep::Checked, hour);
    LogActivity("Request submitted, files created", 1);
    // Only this hour's own checked file leaves the cache.
    if (!MoveCSVFiles(FormatPattern(hour, "yyyymmddhh") + ".CSV")) return Outcome::Failed;
    Step(HourStep::Moved, hour);
    if (!lastExported_ || *lastExported_ < hour) lastExported_ = hour;
    return Outcome::Exported;
}

void ExportCycle::RecordServiceHour(const DateTime& hour) {
    const DateTime next = hour.AddMinutes(60);
    if (next <= lastRun_) return;  // an hour asked for twice (a step under 60 minutes)
    bool listed = false;
    while (!failedHours_.empty() && *failedHours_.begin() < next) {
        listed |= retries_->Add(*failedHours_.begin(), AppClock().Now());
        failedHours_.erase(failedHours_.begin());
    }
    if (listed && !retries_->Save()) {
        // Moving LAST_RUN past a failed hour that is not on the list on disk could lose it
        // at the next kill; LAST_RUN waits for a save that works.
        LogActivity("Error: Unable to save the list of hours to retry: " + RetryFile(), 0);
        return;
    }
    lastRun_ = next;
    AppConfig().setItem("LAST_RUN", FormatGeneral(next));
    AppConfig().SaveConfig();
    Step(HourStep::Saved, hour);
}

bool ExportCycle::RetryListedHours(long newRequests) {
    const std::vector<RetryList::Entry> listed = retries_->Entries();
    long left = static_cast<long>(listed.size()) + newRequests;
    for (const RetryList::Entry& entry : listed) {
        if (!ReadyFor(entry.hour)) return false;
        LogActivity("Retrying " + FormatGeneral(entry.hour) + ", waiting since " + FormatGeneral(entry.listed), 1);
        if (ExportHour(entry.hour, left--) != Outcome::Failed) {
            retries_->Remove(entry.hour);
            retries_->Save();
            Step(HourStep::Saved, entry.hour);
        } else if (RetryList::Expired(entry, AppClock().Now())) {
            retries_->Remove(entry.hour);
            retries_->Save();
            LogActivity("Gave up " + FormatGeneral(entry.hour) + ": it has failed for " +
                            std::to_string(RetryList::kDaysKept) + " days since " + FormatGeneral(entry.listed),
                        0);
        }
    }
    return true;
}

std::unique_ptr<TagTable> ExportCycle::FilterTagHash() {
    VRXConfiguration& config = AppConfig();
    AppLog().WriteLog("Start FilterTagHash", 2);
    auto tags = std::make_unique<TagTable>();
    tags->SetSize(10240);
    const int32_t records = config.Count();
    AppLog().WriteLog("looking thru CONFIG for tags, records = " + std::to_string(records), 2);
    // The numbered keys run from 1 without gaps: the first missing number ends the list.
    for (int32_t i = 1; i <= records; ++i) {
        const std::string key = "TAGNAME_" + std::to_string(i);
        if (!config.ItemExists(key)) break;
        const std::string tag = config.item(key);
        tags->Add(tag, tag);
        AppLog().WriteLog("Added tag: " + tag, 2);
    }
    AppLog().WriteLog("End FilterTagHash", 2);
    return tags;
}

}  // namespace hdq
