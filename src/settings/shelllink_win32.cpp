#include "settings/shelllink_win32.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <utility>

#include "app/globals.h"
#include "core/files.h"
#include "core/text.h"

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

bool CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& workingFolder,
                    const std::string& arguments, const std::string& iconPath, int iconIndex, int showCmd) {
    if (linkFile.empty() || target.empty()) return false;
    ComScope com;
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(link.out()))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out())))) return false;
    if (FAILED(link->SetPath(target.c_str()))) return false;
    if (!workingFolder.empty() && FAILED(link->SetWorkingDirectory(workingFolder.c_str()))) return false;
    if (!arguments.empty() && FAILED(link->SetArguments(arguments.c_str()))) return false;
    // The description existing start-up shortcuts carry; kept so that a shortcut made by this
    // version is the same file as one made before.
    if (FAILED(link->SetDescription("ShellLink Sample"))) return false;
    if (!iconPath.empty() && FAILED(link->SetIconLocation(iconPath.c_str(), iconIndex))) return false;
    if (FAILED(link->SetShowCmd(showCmd))) return false;
    // Resolve only refreshes the link's cached target data; a link that has never been saved
    // has nothing to refresh yet and some shells refuse it, which must not cost the shortcut.
    link->Resolve(nullptr, SLR_UPDATE);
    const std::wstring wide = Widen(linkFile);
    return SUCCEEDED(file->Save(wide.c_str(), FALSE));
}

std::string StartupLinkPath(HWND owner) {
    std::string startup;
    if (!GetSpecialFolder(owner, kCommonStartupFolder, startup)) return std::string();
    return fsys::WithBackslash(startup) + fsys::ExeName() + ".lnk";
}

void AddProgramToStartup(HWND owner) {
    const std::string folder = fsys::WithBackslash(ProgramFolder());
    const std::string link = StartupLinkPath(owner);
    if (link.empty()) return;
    const std::string target = folder + fsys::ExeName() + ".exe";
    CreateShortcut(link, target, folder, std::string(), target, 1, kShowMinNoActive);
    LogActivity("Added program shortcut to startup folder.", 0);
}

}  // namespace hdq
