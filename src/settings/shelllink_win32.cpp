#include "settings/shelllink_win32.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <utility>

#include "core/files.h"
#include "core/text.h"
#include "win32/win32_handles.h"
#include "settings/settings_context.h"

namespace hdq {
namespace {

// Owns one COM interface pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** out() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }

private:
    T* p_ = nullptr;
};

// Frees a shell item identifier list.
struct PidlOwner {
    LPITEMIDLIST pidl = nullptr;
    ~PidlOwner() {
        if (pidl) CoTaskMemFree(pidl);
    }
};

// COM for this thread for the duration of one call; balanced only when this call started it.
class ComScope {
public:
    ComScope() : hr_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

std::wstring Widen(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

}  // namespace

bool GetSpecialFolder(HWND owner, int folder, std::string& path) {
    PidlOwner list;
    if (SHGetSpecialFolderLocation(owner, folder, &list.pidl) != S_OK || !list.pidl) return false;
    char buffer[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListA(list.pidl, buffer) != TRUE) return false;
    std::string text = Trim(std::string(buffer));
    if (text.empty()) return false;
    path = text;
    return true;
}

HRESULT CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& workingFolder,
                       const std::string& arguments, const std::string& iconPath, int iconIndex, int showCmd) {
    if (linkFile.empty() || target.empty()) return E_INVALIDARG;
    ComScope com;
    ComPtr<IShellLinkA> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(link.out()));
    if (FAILED(hr)) return hr;
    ComPtr<IPersistFile> file;
    if (FAILED(hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out())))) return hr;
    if (FAILED(hr = link->SetPath(target.c_str()))) return hr;
    if (!workingFolder.empty() && FAILED(hr = link->SetWorkingDirectory(workingFolder.c_str()))) return hr;
    if (!arguments.empty() && FAILED(hr = link->SetArguments(arguments.c_str()))) return hr;
    // The description existing start-up shortcuts carry; kept so that a shortcut made by this
    // version is the same file as one made before.
    if (FAILED(hr = link->SetDescription("ShellLink Sample"))) return hr;
    if (!iconPath.empty() && FAILED(hr = link->SetIconLocation(iconPath.c_str(), iconIndex))) return hr;
    if (FAILED(hr = link->SetShowCmd(showCmd))) return hr;
    // Resolve only refreshes the link's cached target data; a link that has never been saved
    // has nothing to refresh yet and some shells refuse it, which must not cost the shortcut.
    link->Resolve(nullptr, SLR_UPDATE);
    const std::wstring wide = Widen(linkFile);
    hr = file->Save(wide.c_str(), FALSE);
    return FAILED(hr) ? hr : S_OK;
}

std::string ShellStartupFolders::AllUsers(HWND owner) const {
    std::string path;
    return GetSpecialFolder(owner, kCommonStartupFolder, path) ? path : std::string();
}

std::string ShellStartupFolders::CurrentUser(HWND owner) const {
    std::string path;
    return GetSpecialFolder(owner, kUserStartupFolder, path) ? path : std::string();
}

namespace {

// The "ERROR (n): text" line for a failed write, and the reason for the operator.
std::string LogWriteFailure(HRESULT hr) {
    const DWORD code = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
    std::string text = Trim(win::ErrorText(code));
    if (text.empty()) text = "The shortcut could not be written.";
    SettingsEnv().log.LogActivity("ERROR (" + std::to_string(code) + "): " + text, 0);
    return text;
}

// Writes the shortcut into `folder`; "" when written, else the reason. Logs either way.
std::string WriteStartupLink(const std::string& folder) {
    if (folder.empty()) {
        const std::string reason = "Windows names no such Startup folder.";
        SettingsEnv().log.LogActivity("Error: Unable to add program shortcut to startup folder: " + reason, 0);
        return reason;
    }
    const std::string program = fsys::WithBackslash(SettingsEnv().programFolder);
    const std::string target = program + fsys::ExeName() + ".exe";
    const std::string link = fsys::WithBackslash(folder) + fsys::ExeName() + ".lnk";
    const HRESULT hr = CreateShortcut(link, target, program, std::string(), target, 1, kShowMinNoActive);
    if (SUCCEEDED(hr)) {
        SettingsEnv().log.LogActivity("Added program shortcut to startup folder " + folder, 0);
        return std::string();
    }
    const std::string reason = LogWriteFailure(hr);
    SettingsEnv().log.LogActivity("Error: Unable to add program shortcut to startup folder " + folder, 0);
    return reason;
}

constexpr int kYesNoExclamation = MB_YESNO | MB_ICONEXCLAMATION;

}  // namespace

bool AddProgramToStartup(HWND owner, const StartupFolders& folders) {
    const std::string allUsers = folders.AllUsers(owner);
    const std::string refused = WriteStartupLink(allUsers);
    if (refused.empty()) return true;
    const std::string own = folders.CurrentUser(owner);
    const std::string where = allUsers.empty() ? std::string() : " (" + allUsers + ")";
    if (own.empty()) {
        SettingsEnv().msgBox.VrxMsgBox("The shortcut could not be added to the Startup folder for all users" + where + ":\r\n" +
                                  refused,
                              MB_ICONEXCLAMATION);
        return false;
    }
    const int answer = SettingsEnv().msgBox.VrxMsgBox("The shortcut could not be added to the Startup folder for all users" +
                                                 where + ":\r\n" + refused +
                                                 "\r\n\r\nAdd it to your own Startup folder instead?\r\n" + own,
                                             kYesNoExclamation);
    if (answer != IDYES) return false;
    const std::string failed = WriteStartupLink(own);
    if (failed.empty()) return true;
    SettingsEnv().msgBox.VrxMsgBox("The shortcut could not be added to your Startup folder (" + own + "):\r\n" + failed,
                          MB_ICONEXCLAMATION);
    return false;
}

}  // namespace hdq
