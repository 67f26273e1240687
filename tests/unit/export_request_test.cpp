#include <gtest/gtest.h>

#include "app/export_request.h"

namespace hdq {
namespace {

TEST(ExportRequest, TakesTheTwoDatesOfTheCommandLineQuotedOrNotAndNothingElse) {
    struct Case {
        const char* line;
        std::optional<std::pair<std::string, std::string>> dates;
    };
    const Case cases[] = {
        {"/export \"06.12.2026 14:00\" \"2026-12-07\"", std::pair<std::string, std::string>{"06.12.2026 14:00", "2026-12-07"}},
        {"  /EXPORT 2026-12-06\t2026-12-07 ", std::pair<std::string, std::string>{"2026-12-06", "2026-12-07"}},
        {"/export \"2026-12-06", std::pair<std::string, std::string>{"2026-12-06", ""}},
        {"/export", std::pair<std::string, std::string>{"", ""}},
        {"/exit", std::nullopt},
        {"/exporter 1 2", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto args = ExportRequestOf(c.line);
        EXPECT_EQ(c.dates, args ? std::optional(std::pair{args->from, args->to}) : std::nullopt) << c.line;
    }
}

TEST(ExportRequest, TheRequestAndItsAnswerReadBackAndAnotherRequestsAnswerIsTold) {
    const ExportRequest request{DateTime{2026, 12, 6, 14, 0, 0}, DateTime{2026, 12, 7, 0, 0, 0}, "412-99"};
    const auto read = ParseExportRequest(FormatExportRequest(request));
    ASSERT_TRUE(read);
    EXPECT_EQ(request.from, read->from);
    EXPECT_EQ(request.to, read->to);
    EXPECT_EQ("412-99", read->id);
    const auto answer = ParseExportAnswer(FormatExportAnswer({"412-99", kExportBusy, "an export is already running"}));
    ASSERT_TRUE(answer);
    EXPECT_EQ(kExportBusy, answer->code);
    EXPECT_EQ("an export is already running", answer->reason);
    EXPECT_FALSE(ParseExportRequest("From=2026-12-06 14:00:00\r\nTo=tomorrow\r\nId=1\r\n"));
}

}  // namespace
}  // namespace hdq
