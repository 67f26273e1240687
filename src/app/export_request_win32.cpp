#include "app/export_request_win32.h"

#include <windows.h>

#include "app/instance_lock_win32.h"
#include "app/shared.h"
#include "core/files.h"

namespace hdq {

std::string ExportRequestFile() { return AppFiles().Named(".export-request"); }
std::string ExportAnswerFile() { return AppFiles().Named(".export-answer"); }

ExportAnswer AskRunningCopyToExport(uint32_t key, const DateTime& from, const DateTime& to) {
    ExportAnswer none{std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()), kExportUnanswered,
                      "the running copy did not answer"};
    win::UniqueKernelHandle wake = OpenExportEvent(key);
    if (!wake) {
        none.reason = "the running copy takes no export requests";
        return none;
    }
    fsys::DeleteFile(ExportAnswerFile());
    if (!fsys::WriteAtomic(ExportRequestFile(), FormatExportRequest({from, to, none.id}))) {
        none.reason = "unable to write " + ExportRequestFile();
        return none;
    }
    SetEvent(wake.get());
    for (int waited = 0; waited < 30000; waited += 100) {
        if (auto text = fsys::ReadAll(ExportAnswerFile())) {
            if (auto answer = ParseExportAnswer(*text); answer && answer->id == none.id) {
                fsys::DeleteFile(ExportAnswerFile());
                return *answer;
            }
        }
        Sleep(100);
    }
    return none;
}

}  // namespace hdq
