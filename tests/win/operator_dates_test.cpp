// The operator's dates in the forms of three countries, read by the conversion the program
// ships (Windows' own), with the locale as a parameter so no process locale is needed.
#include <gtest/gtest.h>

#include "app/operator_dates.h"

namespace hdq {
namespace {

constexpr uint32_t kGerman = 0x0407, kBritish = 0x0809, kAmerican = 0x0409;

TEST(OperatorDates, EachCountryReadsItsOwnFormAsMeantAndIsoEverywhere) {
    struct Case {
        uint32_t locale;
        const char* typed;
        std::optional<DateTime> meant;
    };
    const Case cases[] = {
        {kGerman, "06.12.2026", DateTime{2026, 12, 6, 0, 0, 0}},
        {kGerman, "6.12.2026 14:30", DateTime{2026, 12, 6, 14, 30, 0}},
        {kBritish, "01/12/2026", DateTime{2026, 12, 1, 0, 0, 0}},
        {kBritish, "01/12/2026 17:00", DateTime{2026, 12, 1, 17, 0, 0}},
        {kAmerican, "12/1/2026 2:00 PM", DateTime{2026, 12, 1, 14, 0, 0}},
        {kAmerican, "01/12/2026", DateTime{2026, 1, 12, 0, 0, 0}},
        {kGerman, "2026-12-01 05:00", DateTime{2026, 12, 1, 5, 0, 0}},
        {kBritish, "2026-12-01", DateTime{2026, 12, 1, 0, 0, 0}},
        {kGerman, "morgen", std::nullopt},
        {kBritish, "14:00", std::nullopt},
        {kAmerican, "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(c.meant, OperatorDatesFor(c.locale)->Read(c.typed));
    }
}

TEST(OperatorDates, WhatAFieldIsFilledWithReadsBackAndTheFormShowsTheLocalesOrder) {
    for (uint32_t locale : {kGerman, kBritish, kAmerican}) {
        const auto dates = OperatorDatesFor(locale);
        for (const DateTime d : {DateTime{2026, 12, 6, 0, 0, 0}, DateTime{2026, 1, 2, 13, 0, 0}}) {
            SCOPED_TRACE(dates->Show(d));
            EXPECT_EQ(d, dates->Read(dates->Show(d)));
        }
    }
    // Day before month in Germany and Britain, the time without seconds as the fields show it.
    const std::string german = OperatorDatesFor(kGerman)->Form(), american = OperatorDatesFor(kAmerican)->Form();
    EXPECT_LT(german.find('d'), german.find('M')) << german;
    EXPECT_NE(std::string::npos, german.find(".yyyy HH:mm")) << german;
    EXPECT_EQ(std::string::npos, (german + american).find("ss")) << german << american;
}

}  // namespace
}  // namespace hdq
