#include "app/deliveries_win32.h"

#include <commctrl.h>

#include <string>

#include "app/resource.h"
#include "app/week_drawing_win32.h"

namespace hdq::win {
namespace {
constexpr int kCells = WeekPicture::kDays * WeekPicture::kHours;

RECT ClientRect(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return r;
}

void SetCellText(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}
}  // namespace

bool DeliveriesWindow::Open() {
    picture_ = source_();
    if (hwnd()) {
        Fill();
    } else if (!CreateModeless(nullptr, IDD_Deliveries, false)) {
        return false;
    }
    ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd());
    return true;
}

void DeliveriesWindow::Refresh() {
    if (!hwnd() || !IsWindowVisible(hwnd())) return;
    picture_ = source_();
    Fill();
}

bool DeliveriesWindow::OnInit() {
    HWND list = Item(IDC_lvDeliveries);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    AddColumns();
    LVITEMA item{};
    for (item.iItem = 0; item.iItem < kCells; ++item.iItem) {
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    // One tip per cell: the cells never move, only their texts change.
    tips_.reset(CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, GetModuleHandleA(nullptr),
                                nullptr));
    if (tips_) {
        SendMessageA(tips_.get(), TTM_SETMAXTIPWIDTH, 0, 600);
        const WeekLayout layout = WeekLayout::Of(ClientRect(Item(IDC_stcWeek)));
        for (int i = 0; i < kCells; ++i) {
            TOOLINFOA tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_SUBCLASS;
            tool.hwnd = Item(IDC_stcWeek);
            tool.uId = static_cast<UINT_PTR>(i + 1);
            tool.rect = layout.Cell(i / WeekPicture::kHours, i % WeekPicture::kHours);
            tool.lpszText = const_cast<char*>("");
            SendMessageA(tips_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    Fill();
    return true;
}

void DeliveriesWindow::AddColumns() {
    struct Column {
        const char* title;
        int width;
    };
    const Column columns[] = {{"Hour", 110}, {"State", 110}, {"Details", 420}};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    for (int i = 0; i < 3; ++i) {
        column.pszText = const_cast<char*>(columns[i].title);
        column.cx = columns[i].width;
        column.iSubItem = i;
        SendMessageA(Item(IDC_lvDeliveries), LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
}

void DeliveriesWindow::Fill() {
    // The rows are filled in place, so a screen reader keeps its row across a refresh.
    HWND list = Item(IDC_lvDeliveries);
    for (int i = 0; i < kCells; ++i) {
        const HourCell& cell = picture_.Cells()[static_cast<size_t>(i)];
        SetCellText(list, i, 0, FormatPattern(cell.hour, "yyyy-mm-dd hh:nn"));
        SetCellText(list, i, 1, HourStateWord(cell.state));
        SetCellText(list, i, 2, cell.text);
        if (!tips_) continue;
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = Item(IDC_stcWeek);
        tool.uId = static_cast<UINT_PTR>(i + 1);
        tool.lpszText = const_cast<char*>(cell.text.c_str());
        SendMessageA(tips_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    InvalidateRect(Item(IDC_stcWeek), nullptr, FALSE);
}

void DeliveriesWindow::OnCommand(int id, int, HWND) {
    if (id == IDCANCEL || id == IDC_btnDeliveriesClose) ShowWindow(hwnd(), SW_HIDE);
}

bool DeliveriesWindow::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR* result) {
    if (msg != WM_DRAWITEM) return false;
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
    if (item->CtlID != IDC_stcWeek) return false;
    // Drawn off screen first: 168 cells straight onto the screen flicker at every refresh.
    const RECT& r = item->rcItem;
    const int width = r.right - r.left, height = r.bottom - r.top;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
    if (const MemoryCanvas canvas(item->hDC, width, height); canvas) {
        DrawWeek(canvas.dc(), RECT{0, 0, width, height}, picture_, font);
        BitBlt(item->hDC, r.left, r.top, width, height, canvas.dc(), 0, 0, SRCCOPY);
    } else {
        DrawWeek(item->hDC, r, picture_, font);
    }
    *result = TRUE;
    return true;
}

void DeliveriesWindow::OnDestroy() { tips_.reset(); }

}  // namespace hdq::win
