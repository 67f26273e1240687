// The Deliveries window built from its template in this process over a prepared journal and
// retry list, read back through the list view a screen reader reads.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/deliveries_win32.h"
#include "app/resource.h"
#include "driver_win32.h"
#include "test_support.h"
#include "win32/dll_search_win32.h"

namespace hdq {
namespace {

std::string ListText(HWND list, int row, int column) {
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

TEST(DeliveriesWindow, ListsEachHourOfTheWeekWithItsStateAndFollowsTheJournal) {
    ASSERT_TRUE(win::InitCommonControlsLate(ICC_LISTVIEW_CLASSES));
    test::TempFolder dir;
    const std::string journal = dir / "2026-12.csv";
    test::WriteFile(journal, std::string(kJournalHeader) + "\r\n" +
                                 "2026-12-07 05:00:00,2026-12-07 06:00:41,delivered,60,5120," + std::string(64, 'f') +
                                 "\r\n2026-12-06 23:00:00,2026-12-07 00:01:00,given up,0,0,\r\n");
    test::WriteFile(dir / "p.retry", "2026-12-07 06:00:00,2026-12-07 07:00:30\r\n");
    win::DeliveriesWindow window(
        [&] { return ReadWeekPicture(dir.path(), dir / "p.retry", "2026-12-07 08:00:00", DateTime{2026, 12, 7, 10, 20, 0}); });
    ASSERT_TRUE(window.Open());
    const HWND list = GetDlgItem(window.hwnd(), IDC_lvDeliveries);
    EXPECT_EQ("Deliveries", test::WindowText(window.hwnd()));
    EXPECT_EQ(168, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const struct {
        int row;
        const char *hour, *state, *details;
    } cases[] = {
        {0, "2026-12-01 00:00", "no record", "2026-12-01 00:00 no record"},
        {143, "2026-12-06 23:00", "given up", "2026-12-06 23:00 given up 2026-12-07 00:01:00"},
        {149, "2026-12-07 05:00", "delivered", "2026-12-07 05:00 delivered 2026-12-07 06:00:41, 60 rows, 5,120 bytes"},
        {150, "2026-12-07 06:00", "waiting for retry", "2026-12-07 06:00 waiting for retry since 2026-12-07 07:00:30"},
        {152, "2026-12-07 08:00", "not yet due", "2026-12-07 08:00 not yet due"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.hour, ListText(list, c.row, 0));
        EXPECT_EQ(c.state, ListText(list, c.row, 1));
        EXPECT_EQ(c.details, ListText(list, c.row, 2));
    }
    // A hand run delivers the hour given up: the open window follows; Esc hides it, and opening
    // it again brings back the same window.
    test::WriteFile(journal, test::ReadFile(journal) + "2026-12-06 23:00:00,2026-12-07 10:05:00,delivered,1,9,\r\n");
    window.Refresh();
    EXPECT_EQ("delivered", ListText(list, 143, 1));
    const HWND shown = window.hwnd();
    SendMessageA(shown, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(shown));
    ASSERT_TRUE(window.Open());
    EXPECT_EQ(shown, window.hwnd());
    EXPECT_TRUE(IsWindowVisible(shown));
}

}  // namespace
}  // namespace hdq
