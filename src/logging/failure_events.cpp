#include "logging/failure_events.h"

#include <array>
#include <utility>

#include "core/text.h"

namespace hdq {
namespace {

bool Has(std::string_view line, std::string_view part) { return line.find(part) != std::string_view::npos; }

// "Error: Unable to save ..." and "Unable to save ..." are the same trouble.
std::string_view WithoutErrorWord(std::string_view line) {
    for (std::string_view word : {"Error: ", "ERROR: "}) {
        if (StartsWith(line, word)) return line.substr(word.size());
    }
    return line;
}

// First match wins: an hour's line names HistData or a file too, and is still the hour's.
constexpr std::array<std::pair<std::string_view, EventId>, 14> kStarts{{
    {"Unable to create file for:", EventId::HourFailed},
    {"Unable to Move CSV Files", EventId::HourFailed},
    {"Unable to Make CSV", EventId::HourFailed},
    {"Unable to verify CSV files", EventId::HourFailed},
    {"Unable to initialize connection with HistData", EventId::HistDataNotAnswering},
    {"Unable to get handle to HistDate", EventId::HistDataNotAnswering},
    {"Unable to Poke tags", EventId::HistDataNotAnswering},
    {"Unable to start HistData", EventId::HistDataNotAnswering},
    {"Waiting for ", EventId::FolderUnreachable},
    {"Still not reachable", EventId::FolderUnreachable},
    {"DDE_HISTDATA_FOLDER ", EventId::FolderUnreachable},
    {"Path ", EventId::FolderUnreachable},
    {"Not able to write to path ", EventId::FolderUnreachable},
    {"Gave up ", EventId::GaveUpHour},
}};

}  // namespace

bool IsFailureLine(std::string_view line) {
    return StartsWith(line, "Error") || StartsWith(line, "ERROR") || StartsWith(line, "Unable") ||
           StartsWith(line, "Gave up ") || StartsWith(line, "Waiting for ") ||
           StartsWith(line, "Still not reachable ") ||
           (StartsWith(line, "Export stopped before ") && EndsWith(line, ": HistData does not answer"));
}

EventId FailureEventOf(std::string_view line) {
    if (StartsWith(line, "Export stopped before ")) return EventId::HistDataNotAnswering;
    const std::string_view text = WithoutErrorWord(line);
    for (const auto& [start, id] : kStarts) {
        if (StartsWith(text, start)) return id;
    }
    if (StartsWith(text, "Unable to save ") || StartsWith(text, "Unable to write ") ||
        StartsWith(text, "Unable to create default configuration")) {
        return EventId::SaveFailed;
    }
    if (Has(text, " lies after the clock's time ")) return EventId::ClockProblem;
    return EventId::Failure;
}

EventType EventTypeOf(EventId id) {
    switch (id) {
        case EventId::HoursWaiting:
        case EventId::FolderUnreachable:
            return EventType::Warning;
        case EventId::TroubleCleared:
            return EventType::Information;
        default:
            return EventType::Error;
    }
}

uint32_t EventMessageId(EventId id) {
    // The severities of messages.mc: Informational 1, Warning 2, Error 3.
    const uint32_t severity = EventTypeOf(id) == EventType::Error     ? 3u
                              : EventTypeOf(id) == EventType::Warning ? 2u
                                                                      : 1u;
    return severity << 30 | static_cast<uint16_t>(id);
}

}  // namespace hdq
