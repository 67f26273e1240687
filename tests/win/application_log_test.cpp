// The writer reaches the Application log, and the program's message table names every event ID.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "logging/event_writer.h"
#include "logging/failure_events.h"
#include "win32/win32_handles.h"
#include "driver_win32.h"

namespace hdq {
namespace {

TEST(ApplicationLog, TheWriterReportsAndTheProgramsMessageTableNamesEveryId) {
    const auto log = OpenApplicationLog(kEventSource);
    log->Report(EventId::HourFailed, EventType::Error, "Unable to create file for: 3/25/2011 2:00:00 PM");
    EXPECT_TRUE(log->LastWritten());

    const std::string path = tools::WinPath(HDQ_EXE_DIR) + "\\HistDataToQorp.exe";
    const win::UniqueModule exe(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(exe);
    const std::pair<EventId, const char*> cases[] = {
        {EventId::Failure, "failed"},           {EventId::HourFailed, "hour could not be exported"},
        {EventId::HoursWaiting, "retry list"},  {EventId::HistDataNotAnswering, "HistData hangs"},
        {EventId::FolderUnreachable, "folder"}, {EventId::SaveFailed, "could not be saved"},
        {EventId::ClockProblem, "clock"},       {EventId::GaveUpHour, "seven days"},
        {EventId::TroubleCleared, "exported again"},
    };
    DWORD_PTR line[] = {reinterpret_cast<DWORD_PTR>("the log line")};
    for (const auto& [id, meaning] : cases) {
        const uint32_t messageId = EventMessageId(id);
        SCOPED_TRACE(messageId);
        // What Event Viewer shows as the event ID is the number published in the help.
        EXPECT_EQ(static_cast<uint32_t>(id), messageId & 0xFFFF);
        char text[1024] = {};
        const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, exe.get(),
                                       messageId, 0, text, sizeof text, reinterpret_cast<va_list*>(line));
        ASSERT_NE(0u, n) << GetLastError();
        EXPECT_TRUE(std::strstr(text, meaning) && std::strstr(text, ": the log line")) << text;
    }
}

}  // namespace
}  // namespace hdq
