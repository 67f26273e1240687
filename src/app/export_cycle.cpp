#include "app/export_cycle.h"

#include <algorithm>
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

// Requests still to make, this one included. Each hour is asked for once: a step of up to an
// hour reaches every hour from the cursor's on; a longer one lands in a new hour each time.
long RequestsLeft(const DateTime& cursor, const DateTime& endHour, int32_t stepMinutes) {
    if (stepMinutes <= 60) {
        const int64_t span = endHour.ToSeconds() - TruncateToHour(cursor).ToSeconds();
        return span <= 0 ? 0 : static_cast<long>(span / 3600);
    }
    const int64_t span = endHour.ToSeconds() - cursor.ToSeconds();
    const int64_t step = int64_t{stepMinutes} * 60;
    return span <= 0 ? 0 : static_cast<long>((span + step - 1) / step);
}

constexpr const char* kNoConnectionLine = "Unable to initialize connection with HistData thru DDE at this time";
constexpr const char* kHungText = "HistData does not answer";

void ReportError(long number, const std::string& description) {
    LogActivity("ERROR: ProcessHistFiles(" + std::to_string(number) + "): " + description, 0);
}

std::string OsErrorText(const OsError& e) { return "(" + std::to_string(e.number) + ") " + e.text; }

}  // namespace

bool ExportCycle::ProcessHistFiles() {
    // The DDE form serves one request at a time; a timer tick or a manual run arriving inside
    // this cycle's waits must not start a second cycle over the first.
    if (running_) {
        LogActivity("Export already running; request ignored", 0);
        return false;
    }
    const ScopedFlag running(running_);
    stopRequested_ = false;
    failedInCycle_.clear();
    hoursAsked_ = 0;
    try {
        DateTime cursor = CursorFrom(RangeStart);
        const int32_t step = StepFrom(AppConfig().item("DDE_DURATION"));
        if (ServiceRunning) {
            const DateTime now = AppClock().Now();
            clockStepped_ = now.AddMinutes(60) < cursor;
            if (clockStepped_) cursor = ResumeAfterClockStep(cursor, now);
        }
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

        // Hours that fail are listed there; a cycle that could not list them might lose them.
        if (!LoadRetries()) return false;

        if (!form_.Init()) {
            LogActivity(kNoConnectionLine, 0);
            return false;
        }

        failedHours_.clear();
        asked_.clear();
        superviseFirst_ = false;
        timeoutsInARow_ = 0;
        const DateTime endHour = TruncateToHour(RangeEnd);
        if (ServiceRunning) {
            lastRun_ = cursor;
            if (lastRunUnsaved_) SaveLastRun(cursor);  // a failed save is tried again each cycle
            // Hours from LAST_RUN on are asked for below anyway.
            if (retries_->DropFrom(TruncateToHour(cursor))) SaveRetries();
        }
        // Hours that fail in this cycle wait for the next one: HistData failed them just now.
        const std::vector<RetryList::Entry> listedBefore = retries_->Entries();

        long newRequests = 0;
        while (TruncateToHour(cursor) < endHour) {
            const DateTime hour = TruncateToHour(cursor);
            // A step under an hour lands in the same hour again; the importer takes every
            // file it is given, so an hour goes out once.
            if (asked_.insert(hour).second) {
                if (!ReadyFor(hour)) return false;
                ++newRequests;
                const Outcome outcome = ExportHour(cursor, RequestsLeft(cursor, endHour, step));
                if (outcome == Outcome::Failed) {
                    if (ServiceRunning) {
                        failedHours_.insert(hour);
                    } else {
                        ListFailedHour(hour);
                    }
                } else {
                    failedHours_.erase(hour);
                    // A manual run that delivers a listed hour ends its wait too.
                    if (retries_->Remove(hour)) SaveRetries();
                    if (ServiceRunning) RecordServiceHour(hour);
                }
            }
            cursor = cursor.AddMinutes(step);
        }
        // After the new hours, so that failing old ones never hold up a new one.
        if (ServiceRunning && !RetryListedHours(listedBefore, newRequests)) return false;

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

bool ExportCycle::LoadRetries() {
    if (retries_) return true;
    RetryList list(RetryFile());
    OsError e;
    if (!list.Load(&e)) {
        const std::string why = OsErrorText(e);
        // Once per kind of failure: the cycle stops each hour until the file can be read.
        if (why != retryReadError_) {
            LogActivity("Error: Unable to read the list of hours to retry " + RetryFile() + ": " + why +
                            "; nothing is exported until it can be read",
                        0);
        }
        retryReadError_ = why;
        return false;
    }
    retryReadError_.clear();
    if (!list.SetAside().empty()) {
        LogActivity("Error: " + std::to_string(list.SetAside().size()) + " line(s) of " + RetryFile() +
                        " are not an hour; kept in " + list.BadFile(),
                    0);
    }
    retries_.emplace(std::move(list));
    return true;
}

const RetryList& ExportCycle::Retries() {
    static const RetryList kNone{""};
    return LoadRetries() ? *retries_ : kNone;
}

bool ExportCycle::SaveRetries() {
    // A list that cannot be saved is kept in memory; LAST_RUN waits while it holds hours the
    // file lacks (RecordServiceHour). Said once, not at every hour.
    const bool saved = retries_->Save();
    if (!saved && !retriesUnsaved_) {
        LogActivity("Error: Unable to save the list of hours to retry: " + RetryFile(), 0);
    }
    retriesUnsaved_ = !saved;
    if (saved) addsUnsaved_ = false;
    return saved;
}

void ExportCycle::ListFailedHour(const DateTime& hour) {
    addsUnsaved_ |= retries_->Add(hour, AppClock().Now());
    if (addsUnsaved_) SaveRetries();
}

std::string ExportCycle::Trouble() const {
    if (!retryReadError_.empty()) return "retry list unreadable";
    if (histDataHung_) return kHungText;
    if (lastRunUnsaved_) return "LAST_RUN not saved";
    if (retriesUnsaved_) return "retry list not saved";
    if (clockStepped_) return "clock was set back";
    return "";
}

bool ExportCycle::ReadyFor(const DateTime& hour) {
    const char* why = QuitRequested()    ? "the program is ending"
                      : SessionEnding()  ? "Windows is ending the session"
                      : stopRequested_   ? "stopped by the operator"
                                         : nullptr;
    // Every further hour would cost its time-outs too; the next cycle tries again.
    if (!why && timeoutsInARow_ >= kTimeoutsBeforeStop) {
        histDataHung_ = true;
        why = kHungText;
    }
    // What is done is saved hour by hour; the hours from here on are still before LAST_RUN's
    // successor or on the retry list, so the next start asks for them.
    if (!why && superviseFirst_) {
        superviseFirst_ = false;
        // HistData may have exited or hung up the conversation; without it every further
        // hour would fail in milliseconds.
        if (!form_.Supervise()) {
            LogActivity(kNoConnectionLine, 0);
            why = kHungText;
        }
    }
    if (!why) return true;
    LogActivity("Export stopped before " + FormatGeneral(hour) + ": " + why, 0);
    form_.ClearMemory();
    return false;
}

ExportCycle::Outcome ExportCycle::ExportHour(const DateTime& cursor, long remaining) {
    const DateTime hour = TruncateToHour(cursor);
    ++hoursAsked_;
    if (OnProgress) OnProgress(hour, remaining);
    LogActivity("Processing Data for " + FormatGeneral(hour), 1);
    DeleteUncheckedCsvFiles();
    form_.SetStartDate(cursor);
    form_.SetStartTime(cursor);
    if (!form_.SendRequest()) {
        if (form_.NoData()) {
            LogActivity("No data for " + FormatGeneral(hour) + ": nothing to export", 1);
            journal_.Settled(hour, JournalOutcome::NoData);
            timeoutsInARow_ = 0;
            return Outcome::NoData;
        }
        timeoutsInARow_ = form_.TimedOut() ? timeoutsInARow_ + 1 : 0;
        LogActivity("Unable to create file for: " + FormatGeneral(hour), 0);
        superviseFirst_ = true;
        failedInCycle_.push_back(hour);
        return Outcome::Failed;
    }
    timeoutsInARow_ = 0;
    histDataHung_ = false;
    Step(HourStep::Checked, hour);
    LogActivity("Request submitted, files created", 1);
    // Only this hour's own checked file leaves the cache.
    if (!MoveCSVFiles(FormatPattern(hour, "yyyymmddhh") + ".CSV", &journal_)) {
        failedInCycle_.push_back(hour);
        return Outcome::Failed;
    }
    Step(HourStep::Moved, hour);
    if (!lastExported_ || *lastExported_ < hour) lastExported_ = hour;
    return Outcome::Exported;
}

void ExportCycle::RecordServiceHour(const DateTime& hour) {
    const DateTime next = hour.AddMinutes(60);
    if (next <= lastRun_) return;
    const auto before = failedHours_.lower_bound(next);
    bool listed = false;
    for (auto it = failedHours_.begin(); it != before; ++it) listed |= retries_->Add(*it, AppClock().Now());
    addsUnsaved_ |= listed;
    // Moving LAST_RUN past a failed hour that is not on the list on disk could lose it at the
    // next kill; LAST_RUN waits for a save that works.
    if (addsUnsaved_ && !SaveRetries()) return;
    failedHours_.erase(failedHours_.begin(), before);
    if (listed) Step(HourStep::Listed, hour);
    lastRun_ = next;
    SaveLastRun(next);
    Step(HourStep::Saved, hour);
}

void ExportCycle::SaveLastRun(const DateTime& next) {
    std::vector<std::string> kept;
    const bool saved = AppConfig().SaveItem("LAST_RUN", FormatGeneral(next), &kept);
    for (const std::string& key : kept) {
        LogActivity("Kept " + key + "=" + (AppConfig().ItemExists(key) ? AppConfig().item(key) : std::string()) +
                        " as changed in " + IniFile() + " while the program ran",
                    0);
    }
    if (!saved && !lastRunUnsaved_) {
        LogActivity("Error: Unable to save LAST_RUN to " + IniFile() +
                        "; a restart would export again from the last saved hour. Trying again every hour",
                    0);
    } else if (saved && lastRunUnsaved_) {
        LogActivity("LAST_RUN saved again to " + IniFile(), 0);
    }
    lastRunUnsaved_ = !saved;
}

DateTime ExportCycle::ResumeAfterClockStep(const DateTime& lastRun, const DateTime& now) {
    // Hours asked for while the clock ran ahead came back without data; the real hours after
    // the last one that held data have not been asked for.
    DateTime resume = lastExported_ ? lastExported_->AddMinutes(60) : TruncateToHour(now).AddDays(-1);
    resume = std::min(resume, TruncateToHour(now));
    LogActivity("Error: LAST_RUN " + FormatGeneral(lastRun) + " lies after the clock's time " + FormatGeneral(now) +
                    "; the clock was set back. Exporting again from " + FormatGeneral(resume),
                0);
    SaveLastRun(resume);
    return resume;
}

bool ExportCycle::RetryListedHours(std::vector<RetryList::Entry> listed, long newRequests) {
    // Start where the last pass stopped, so hours beyond the bound get their turn.
    if (nextRetryFrom_) {
        const auto from = std::find_if(listed.begin(), listed.end(),
                                       [&](const RetryList::Entry& e) { return !(e.hour < *nextRetryFrom_); });
        std::rotate(listed.begin(), from, listed.end());
    }
    const long bound = std::max(newRequests, kRetriesPerCycle);
    nextRetryFrom_.reset();
    long left = std::min(static_cast<long>(listed.size()), bound);
    for (size_t i = 0; i < listed.size(); ++i) {
        const RetryList::Entry& entry = listed[i];
        if (static_cast<long>(i) == bound) {
            nextRetryFrom_ = entry.hour;
            LogActivity(std::to_string(listed.size() - i) + " listed hour(s) wait for the next cycle", 1);
            break;
        }
        if (!ReadyFor(entry.hour)) return false;
        LogActivity("Retrying " + FormatGeneral(entry.hour) + ", waiting since " + FormatGeneral(entry.listed), 1);
        if (ExportHour(entry.hour, left--) != Outcome::Failed) {
            retries_->Remove(entry.hour);
            SaveRetries();
            Step(HourStep::Saved, entry.hour);
        } else if (RetryList::Expired(entry, AppClock().Now())) {
            retries_->Remove(entry.hour);
            SaveRetries();
            LogActivity("Gave up " + FormatGeneral(entry.hour) + ": it has failed for " +
                            std::to_string(RetryList::kDaysKept) + " days since " + FormatGeneral(entry.listed),
                        0);
            journal_.Settled(entry.hour, JournalOutcome::GivenUp);
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
