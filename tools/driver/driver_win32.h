#pragma once
// The end-to-end driver: starts the real program and the stand-in in a temporary program
// folder, finds windows by title and controls by caption or id, presses buttons, types into
// fields and answers message boxes, all with window messages.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace hdq::tools {

// Z:\... form of a Linux path (Wine maps / to Z:), backslashes.
std::string WinPath(const std::string& unixOrWinPath);
std::string BuiltExe();  // ...\HistDataToQorp.exe of this build

// Runs a process; it is killed (TerminateProcess) when the object goes away unless it ended.
class Process {
public:
    Process() = default;
    ~Process() { Kill(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // showCommand: how the program's first window shows (SW_...), -1 for as it chooses.
    bool Start(const std::string& exe, const std::string& args = "", const std::string& workDir = "",
               int showCommand = -1);
    DWORD ThreadId() const { return pi_.dwThreadId; }
    bool WaitExit(DWORD ms, DWORD* exitCode = nullptr);
    bool Running() const;
    void Kill();
    DWORD Id() const { return pi_.dwProcessId; }

private:
    PROCESS_INFORMATION pi_{};
};

// Pumps this thread's messages while polling until pred() or the time runs out.
bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs, DWORD stepMs = 50);

HWND FindTopWindowOfProcess(DWORD pid, const std::string& title, DWORD timeoutMs = 10000);  // exact title
HWND FindChildByText(HWND parent, const std::string& text);  // buttons, labels; "&" ignored
HWND FindChildById(HWND parent, int id);
std::string WindowText(HWND h);
bool IsShown(HWND h);

void Click(HWND button);                        // sent: returns after the handler
void PostClick(HWND button);                    // posted; for buttons that open modal dialogs
void SetText(HWND edit, const std::string& text);
std::vector<std::string> ListBoxItems(HWND list);
std::vector<std::string> StatusBarParts(HWND statusBar);

// Finds a message box (dialog class #32770 with a Static text) with the given title owned by
// process pid, returns its prompt text and presses the button with that id (IDOK, IDYES ...).
bool AnswerMessageBox(DWORD pid, const std::string& title, int buttonId, std::string* prompt,
                      DWORD timeoutMs = 10000);

// Copies what the screen shows of a window's client area into a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::string& path);

}  // namespace hdq::tools
