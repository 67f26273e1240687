#include "app/service_health.h"

#include <algorithm>

#include "logging/failure_events.h"
#include "platform/systray.h"

namespace hdq {
namespace {

bool IsSaveTrouble(const std::string& trouble) {
    return trouble == "LAST_RUN not saved" || trouble == "retry list not saved" || trouble == "retry list unreadable";
}

std::string HourText(const DateTime& hour) { return FormatPattern(hour, "yyyy-mm-dd hh:nn"); }

std::string ShortText(TroubleKind kind, const ServiceHealth& h) {
    switch (kind) {
    case TroubleKind::HoursWaiting: return std::to_string(h.waiting) + " h waiting";
    case TroubleKind::HistDataNotAnswering: return "HistData not answering";
    case TroubleKind::SaveFailed: return h.cycleTrouble;
    case TroubleKind::FolderUnreachable: return "folder unreachable";
    case TroubleKind::ClockProblem: return "LAST_RUN ahead of the clock";
    }
    return "";
}

std::string LongText(TroubleKind kind, const ServiceHealth& h) {
    switch (kind) {
    case TroubleKind::HoursWaiting:
        return std::to_string(h.waiting) + " hour(s) wait for retry" +
               (h.oldestWaiting ? ", the oldest " + HourText(*h.oldestWaiting) : "");
    case TroubleKind::HistDataNotAnswering: return "HistData does not answer";
    case TroubleKind::SaveFailed: return h.cycleTrouble;
    case TroubleKind::FolderUnreachable: return "Waiting for " + h.unreachable;
    case TroubleKind::ClockProblem:
        return h.lastRunAhead ? "LAST_RUN " + FormatGeneral(*h.lastRunAhead) + " lies ahead of the clock"
                              : "the clock was set back";
    }
    return "";
}

EventId EventFor(TroubleKind kind) {
    switch (kind) {
    case TroubleKind::HoursWaiting: return EventId::HoursWaiting;
    case TroubleKind::HistDataNotAnswering: return EventId::HistDataNotAnswering;
    case TroubleKind::SaveFailed: return EventId::SaveFailed;
    case TroubleKind::FolderUnreachable: return EventId::FolderUnreachable;
    case TroubleKind::ClockProblem: return EventId::ClockProblem;
    }
    return EventId::Failure;
}

}  // namespace

std::vector<TroubleKind> TroubleKinds(const ServiceHealth& h) {
    std::vector<TroubleKind> kinds;
    if (h.waiting > 0) kinds.push_back(TroubleKind::HoursWaiting);
    if (h.cycleTrouble == "HistData does not answer") kinds.push_back(TroubleKind::HistDataNotAnswering);
    if (IsSaveTrouble(h.cycleTrouble)) kinds.push_back(TroubleKind::SaveFailed);
    if (!h.unreachable.empty()) kinds.push_back(TroubleKind::FolderUnreachable);
    if (h.lastRunAhead || h.cycleTrouble == "clock was set back") kinds.push_back(TroubleKind::ClockProblem);
    return kinds;
}

std::string TroubleText(const ServiceHealth& health) {
    std::string text;
    for (TroubleKind kind : TroubleKinds(health)) text += (text.empty() ? "" : "; ") + LongText(kind, health);
    return text;
}

std::string TrayTip(const std::string& name, const ServiceHealth& health, const std::string& status) {
    const std::vector<TroubleKind> kinds = TroubleKinds(health);
    if (kinds.empty()) return name + "\n" + status;
    std::string tip = name + ":";
    for (size_t i = 0; i < kinds.size(); ++i) {
        const std::string part = (i ? ", " : " ") + ShortText(kinds[i], health);
        // Whole facts only: a cut one ("12 h wai") says less than none.
        if (i > 0 && tip.size() + part.size() > kTipFieldLength - 1) break;
        tip += part;
    }
    return tip.substr(0, kTipFieldLength - 1);
}

bool TroubleWatch::TakeBalloon(const DateTime& now) {
    if (lastBalloon_ && now < lastBalloon_->AddMinutes(60)) return false;
    lastBalloon_ = now;
    return true;
}

std::optional<std::string> TroubleWatch::Update(const ServiceHealth& health,
                                                const std::optional<DateTime>& lastExported, const DateTime& now) {
    const std::vector<TroubleKind> kinds = TroubleKinds(health);
    const bool wasTroubled = Troubled();
    for (TroubleKind kind : kinds) {
        if (std::find(active_.begin(), active_.end(), kind) != active_.end()) continue;
        events_.Report(EventFor(kind), EventTypeOf(EventFor(kind)), "Hours are not exported: " + LongText(kind, health));
    }
    active_ = kinds;
    if (!wasTroubled && Troubled()) {
        held_ = "Hours are not exported: " + TroubleText(health);
        heldTroubled_ = true;
    } else if (wasTroubled && !Troubled()) {
        const std::string text =
            "All hours exported again" + (lastExported ? " up to " + HourText(*lastExported) : std::string());
        events_.Report(EventId::TroubleCleared, EventType::Information, text);
        // A start nobody was told of needs no all-clear either.
        const bool startUntold = held_ && heldTroubled_;
        held_.reset();
        if (!startUntold) held_ = text;
        heldTroubled_ = false;
    }
    if (!held_ || !TakeBalloon(now)) return std::nullopt;
    std::optional<std::string> balloon = std::move(held_);
    held_.reset();
    return balloon;
}

}  // namespace hdq
