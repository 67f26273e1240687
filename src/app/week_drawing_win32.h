#pragma once
// The Deliveries window's picture drawn into any DC: the day labels down the left, the hours
// across the top, 7 x 24 cells each with its state's colour and mark, and the legend below.
#include <windows.h>

#include "app/week_picture.h"
#include "win32/win32_handles.h"

namespace hdq::win {

COLORREF HourStateColour(HourState state);

// Where the parts lie in an area.
struct WeekLayout {
    RECT area{};
    int labelWidth = 0, headerHeight = 0, cellWidth = 0, cellHeight = 0, legendTop = 0;

    static WeekLayout Of(const RECT& area);
    RECT Cell(int day, int hour) const;
};

// A bitmap of the given size selected into a memory DC like another DC: drawn there, the
// picture reaches the screen in one BitBlt.
class MemoryCanvas {
public:
    MemoryCanvas(HDC like, int width, int height);
    ~MemoryCanvas();
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    HDC dc() const { return dc_; }
    explicit operator bool() const { return dc_ && bitmap_; }

private:
    HDC dc_ = nullptr;
    UniqueHandle<HGDIOBJ, GdiTraits> bitmap_;
    HGDIOBJ old_ = nullptr;
};

// font: nullptr for the GUI font.
void DrawWeek(HDC dc, const RECT& area, const WeekPicture& picture, HFONT font);

}  // namespace hdq::win
