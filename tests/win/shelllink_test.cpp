// "Add to Startup Folder" writes a real shell link that the shell reads back as written.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/shared.h"
#include "core/files.h"
#include "settings/shelllink_win32.h"
#include "fake_dde.h"
#include "test_support.h"

namespace hdq {
namespace {

struct LinkContents {
    bool loaded = false;
    std::string path, workingFolder, arguments, description, iconPath;
    int iconIndex = -1;
};

LinkContents ReadLink(const std::string& linkFile) {
    LinkContents c;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return c;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(linkFile.begin(), linkFile.end());
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
            char buffer[MAX_PATH] = {};
            link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
            c.path = buffer;
            link->GetWorkingDirectory(buffer, MAX_PATH);
            c.workingFolder = buffer;
            link->GetArguments(buffer, MAX_PATH);
            c.arguments = buffer;
            link->GetDescription(buffer, MAX_PATH);
            c.description = buffer;
            link->GetIconLocation(buffer, MAX_PATH, &c.iconIndex);
            c.iconPath = buffer;
            c.loaded = true;
        }
        file->Release();
    }
    link->Release();
    return c;
}


class ShellLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        CreateSharedObjects();
        // The running test program stands in for the product: the link's target must exist.
        SetProgramFolderForTests(fsys::ProgramFolder());
        SetActivityList(&activity);
    }
    void TearDown() override {
        if (!link.empty()) DeleteFileA(link.c_str());
        SetActivityList(nullptr);
        CoUninitialize();
    }
    test::RecordingActivityList activity;
    std::string link;
};

TEST_F(ShellLinkTest, CommonStartupFolderIsAnExistingFolder) {
    std::string startup;
    ASSERT_TRUE(GetSpecialFolder(nullptr, kCommonStartupFolder, startup));
    EXPECT_FALSE(startup.empty());
    EXPECT_NE('\\', startup.back());
    EXPECT_TRUE(fsys::IsDirectory(startup));
}

TEST_F(ShellLinkTest, AddToStartupWritesAMinimisedLinkToTheProgramWithItsSecondIcon) {
    link = StartupLinkPath(nullptr);
    ASSERT_FALSE(link.empty());
    DeleteFileA(link.c_str());

    AddProgramToStartup(nullptr);
    ASSERT_TRUE(fsys::Exists(link)) << link;
    const std::string folder = fsys::WithBackslash(fsys::ProgramFolder());
    const std::string target = folder + fsys::ExeName() + ".exe";
    LinkContents c = ReadLink(link);
    ASSERT_TRUE(c.loaded);
    EXPECT_TRUE(lstrcmpiA(target.c_str(), c.path.c_str()) == 0) << c.path;
    EXPECT_TRUE(lstrcmpiA(folder.c_str(), c.workingFolder.c_str()) == 0) << c.workingFolder;
    EXPECT_EQ("", c.arguments);
    EXPECT_EQ("ShellLink Sample", c.description);
    EXPECT_TRUE(lstrcmpiA(target.c_str(), c.iconPath.c_str()) == 0) << c.iconPath;
    EXPECT_EQ(1, c.iconIndex);
    // Wine's link object does not hand the show command back after a load, so read it from
    // the file's header (a 32-bit value at offset 60 of the shell link format).
    const std::string bytes = test::ReadFile(link);
    ASSERT_GE(bytes.size(), 64u);
    EXPECT_EQ(SW_SHOWMINNOACTIVE, static_cast<unsigned char>(bytes[60]));
    EXPECT_EQ(0, bytes[61] | bytes[62] | bytes[63]);
    EXPECT_EQ(1, std::count(activity.lines.begin(), activity.lines.end(),
                            "Added program shortcut to startup folder."));

    // Pressed again, the same link file is rewritten rather than a second one made.
    AddProgramToStartup(nullptr);
    EXPECT_EQ(link, StartupLinkPath(nullptr));
    EXPECT_TRUE(ReadLink(link).loaded);
    EXPECT_EQ(2, std::count(activity.lines.begin(), activity.lines.end(),
                            "Added program shortcut to startup folder."));
}

TEST_F(ShellLinkTest, ShortcutWithoutALinkPathOrTargetWritesNothing) {
    EXPECT_FALSE(CreateShortcut("", "C:\\x.exe", "", "", "", 0, 1));
    std::string startup;
    ASSERT_TRUE(GetSpecialFolder(nullptr, kCommonStartupFolder, startup));
    const std::string file = startup + "\\hdq_no_target.lnk";
    EXPECT_FALSE(CreateShortcut(file, "", "", "", "", 0, 1));
    EXPECT_FALSE(fsys::Exists(file));
}

}  // namespace
}  // namespace hdq
