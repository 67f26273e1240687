#pragma once
// "HistDataToQorp.exe /export "FROM" "TO"": a range handed to the running copy (in any session)
// by IT's scripts, run as a manual run is. The request and its answer pass through two small
// files beside the program; an event secured like the exit request wakes the copy.
#include <optional>
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace hdq {

// The process's exit code for IT's scripts.
enum ExportCode : int {
    kExportAccepted = 0,        // the running copy (or this new one) runs the range
    kExportUnanswered = 1,      // a copy runs but did not answer in time
    kExportBadDates = 3,        // a date is missing or no date in this user's form or ISO
    kExportBusy = 4,            // an export already runs; nothing is queued
    kExportNotConfigured = 5,   // the settings are incomplete or a folder cannot be reached
};

struct ExportArgs {
    std::string from, to;
};
// The two texts of "/export "FROM" "TO"" (quotes optional around a text without blanks);
// nullopt for any other command line. A missing text is empty.
std::optional<ExportArgs> ExportRequestOf(std::string_view commandLine);

struct ExportRequest {
    DateTime from, to;
    std::string id;  // matches the answer to its request
};
std::string FormatExportRequest(const ExportRequest& request);
std::optional<ExportRequest> ParseExportRequest(const std::string& text);

struct ExportAnswer {
    std::string id;
    int code = kExportUnanswered;
    std::string reason;
};
std::string FormatExportAnswer(const ExportAnswer& answer);
std::optional<ExportAnswer> ParseExportAnswer(const std::string& text);

}  // namespace hdq
