#include "app/week_drawing_win32.h"

#include <string>

namespace hdq::win {
namespace {
constexpr int kLegendHeight = 20;

using UniqueBrush = UniqueHandle<HGDIOBJ, GdiTraits>;

// Light enough that the black mark stays readable on every one of them.
void Swatch(HDC dc, const RECT& r, HourState state) {
    UniqueBrush brush(CreateSolidBrush(HourStateColour(state)));
    FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    char mark[2] = {HourStateMark(state), '\0'};
    RECT text = r;
    DrawTextA(dc, mark, 1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void Label(HDC dc, const std::string& text, RECT r, UINT align) {
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
}  // namespace

MemoryCanvas::MemoryCanvas(HDC like, int width, int height)
    : dc_(CreateCompatibleDC(like)), bitmap_(CreateCompatibleBitmap(like, width, height)) {
    if (*this) old_ = SelectObject(dc_, bitmap_.get());
}

MemoryCanvas::~MemoryCanvas() {
    if (old_) SelectObject(dc_, old_);
    if (dc_) DeleteDC(dc_);
}

COLORREF HourStateColour(HourState state) {
    switch (state) {
    case HourState::Delivered: return RGB(129, 199, 132);
    case HourState::NoData: return RGB(187, 205, 230);
    case HourState::WaitingForRetry: return RGB(255, 213, 79);
    case HourState::GivenUp: return RGB(239, 120, 110);
    case HourState::NotYetDue: return RGB(250, 250, 250);
    case HourState::NoRecord: return RGB(206, 160, 214);
    }
    return RGB(255, 255, 255);
}

WeekLayout WeekLayout::Of(const RECT& area) {
    WeekLayout l;
    l.area = area;
    const int width = area.right - area.left, height = area.bottom - area.top;
    l.labelWidth = width / 7;
    l.headerHeight = height / 12;
    l.cellWidth = (width - l.labelWidth) / WeekPicture::kHours;
    l.cellHeight = (height - l.headerHeight - kLegendHeight - 4) / WeekPicture::kDays;
    l.legendTop = area.top + l.headerHeight + l.cellHeight * WeekPicture::kDays + 4;
    return l;
}

RECT WeekLayout::Cell(int day, int hour) const {
    const int left = area.left + labelWidth + hour * cellWidth, top = area.top + headerHeight + day * cellHeight;
    return RECT{left, top, left + cellWidth, top + cellHeight};
}

void DrawWeek(HDC dc, const RECT& area, const WeekPicture& picture, HFONT font) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, RGB(0, 0, 0));
    const WeekLayout l = WeekLayout::Of(area);
    for (int hour = 0; hour < WeekPicture::kHours; ++hour) {
        RECT r = l.Cell(0, hour);
        r.top = area.top;
        r.bottom = area.top + l.headerHeight;
        Label(dc, (hour < 10 ? "0" : "") + std::to_string(hour), r, DT_CENTER);
    }
    for (int day = 0; day < WeekPicture::kDays; ++day) {
        RECT r = l.Cell(day, 0);
        r.right = r.left - 4;
        r.left = area.left;
        Label(dc, FormatShortDate(picture.At(day, 0).hour), r, DT_RIGHT);
        for (int hour = 0; hour < WeekPicture::kHours; ++hour) Swatch(dc, l.Cell(day, hour), picture.At(day, hour).state);
    }
    const int itemWidth = (area.right - area.left) / static_cast<int>(std::size(kHourStates));
    int left = area.left;
    for (HourState state : kHourStates) {
        const RECT box{left, l.legendTop, left + l.cellWidth, l.legendTop + kLegendHeight - 4};
        Swatch(dc, box, state);
        Label(dc, HourStateWord(state), RECT{box.right + 4, box.top, left + itemWidth, box.bottom}, DT_LEFT);
        left += itemWidth;
    }
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

}  // namespace hdq::win
