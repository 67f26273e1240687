// A window moved to a monitor of twice the DPI: the main window and a dialog built from their
// templates in this process, sent the WM_DPICHANGED Windows would send.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/commonui_win32.h"
#include "app/manualrun_win32.h"
#include "app/resource.h"
#include "core/file_checks.h"
#include "fake_dde.h"
#include "test_support.h"
#include "win32/dll_search_win32.h"

namespace hdq {
namespace {

LONG FontHeight(HWND control) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
}

TEST(DpiLayout, AWindowMovedToTwiceTheDpiKeepsItsControlsInsideAndDoublesItsFontsAndPanels) {
    ASSERT_TRUE(win::InitCommonControlsLate(ICC_WIN95_CLASSES | ICC_BAR_CLASSES));
    test::AppSandbox sb;
    for (const char* sub : {"lgh", "out"}) MakeFolder(sb / sub);
    test::WriteFile(sb / "tagname.x", std::string(512, '\0'));
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"DDE_LGH_FOLDER", sb / "lgh"},
                                     {"DDE_TAGNAME_FILE", sb / "tagname.x"},
                                     {"DDE_HISTDATA_FOLDER", sb / "lgh"},
                                     {"OUTPUT_FOLDER", sb / "out"}}) {
        sb.Set(key, value);
    }
    test::ScriptedForm form;
    win::CommonUI main(form);
    ASSERT_TRUE(main.Load("main"));
    const auto dates = UserOperatorDates();
    CommonManualRun answer(*dates);
    win::ManualRunDialog manual(answer);
    ASSERT_TRUE(manual.CreateModeless(nullptr, IDD_CommonManualRun, true));

    for (const auto& [window, fontProbe] : {std::pair{main.hwnd(), IDC_lstActivityLog}, {manual.hwnd(), IDC_txtStartDate}}) {
        const int dpi = win::WindowDpi(window);
        const LONG fontBefore = FontHeight(GetDlgItem(window, fontProbe));
        RECT r;
        GetWindowRect(window, &r);
        RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, 192, dpi), r.top + MulDiv(r.bottom - r.top, 192, dpi)};
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));

        RECT client;
        GetClientRect(window, &client);
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT c;
            GetWindowRect(child, &c);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&c), 2);
            EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.right <= client.right && c.bottom <= client.bottom)
                << GetDlgCtrlID(child) << ": " << c.left << "," << c.top << "," << c.right << "," << c.bottom;
        }
        EXPECT_NEAR(MulDiv(fontBefore, 192, dpi), FontHeight(GetDlgItem(window, fontProbe)), 1) << fontProbe;
    }
    int parts[2] = {};
    SendMessageA(GetDlgItem(main.hwnd(), IDC_sb1), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    EXPECT_EQ(280, parts[0]);  // the mode panel, 140 at 96 DPI
}

}  // namespace
}  // namespace hdq
