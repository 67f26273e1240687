#pragma once
// The asking side of "/export": the request written beside the program, the running copy woken
// through its export event, and its answer awaited.
#include <cstdint>

#include "app/export_request.h"

namespace hdq {

// The running copy's answer; kExportUnanswered when it gives none within half a minute.
ExportAnswer AskRunningCopyToExport(uint32_t key, const DateTime& from, const DateTime& to);

// The files the request and the answer pass through.
std::string ExportRequestFile();
std::string ExportAnswerFile();

}  // namespace hdq
