#include <windows.h>

#include "app/globals.h"
#include "app/shared.h"
#include "win32/dll_search_win32.h"
#include "win32/win32_handles.h"

namespace hdq {
namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kHhDisplayTopic = 0;

// The viewer's windows run code from hhctrl.ocx, so the library stays loaded for the life of
// the program once a page has been shown.
win::UniqueModule g_helpLibrary;

}  // namespace

bool OpenHelpTopic(const std::string& topic) {
    try {
        win::UniqueModule& lib = g_helpLibrary;
        if (!lib) lib.reset(win::LoadSystem32Library("hhctrl.ocx"));
        if (!lib) return false;
        auto fn = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(lib.get(), "HtmlHelpA")));
        if (!fn) return false;
        const std::string page = HelpFile() + "::/" + topic + ".html";
        HWND viewer = fn(static_cast<HWND>(HelpOwnerWindow()), page.c_str(), kHhDisplayTopic, 0);
        return viewer != nullptr;
    } catch (...) {
        return false;
    }
}

}  // namespace hdq
