#pragma once
// The Deliveries window: the last seven days' hours as a picture (colour and mark per state,
// the journal's line as each cell's tip) and the same hours as a list a screen reader reads.
// Modeless and made once; closing hides it, opening again brings it forward up to date.
#include <windows.h>

#include <string>

#include <functional>

#include "app/week_picture.h"
#include "win32/dialog_win32.h"
#include "win32/win32_handles.h"

namespace hdq::win {

class DeliveriesWindow : public Dialog {
public:
    // Reads the picture afresh: the journal, the retry list and LAST_RUN as they are now.
    using Source = std::function<WeekPicture()>;
    explicit DeliveriesWindow(Source source) : source_(std::move(source)) {}
    ~DeliveriesWindow() override { Destroy(); }

    // Shows the window up to date, in front.
    bool Open();
    // Reads and shows the picture again while the window is open (the service calls it after
    // each hour); nothing while it is closed, as Open reads anew.
    void Refresh();

protected:
    bool OnInit() override;
    std::string HelpPage() const override { return "deliveries"; }
    void OnCommand(int id, int notifyCode, HWND ctl) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;
    void OnDestroy() override;

private:
    void Fill();  // the list, the tips and the picture from picture_
    void AddColumns();

    Source source_;
    WeekPicture picture_;
    UniqueWindow tips_;
};

}  // namespace hdq::win
