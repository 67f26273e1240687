// The folder and file browser's results and path rules.
#include <gtest/gtest.h>

#include "settings/file_browser.h"

namespace hdq {
namespace {

TEST(FileBrowserPaths, DropOneTrailingBackslashAndTellDriveLetterPathsApart) {
    EXPECT_EQ("C:\\Data", BrowserStartPath("C:\\Data\\"));
    EXPECT_EQ("C:", BrowserStartPath("C:\\"));
    EXPECT_EQ("C:\\Data\\", BrowserStartPath("C:\\Data\\\\"));
    EXPECT_EQ("", BrowserStartPath(""));
    EXPECT_EQ("\\\\server\\share", BrowserStartPath("\\\\server\\share\\"));
    EXPECT_TRUE(IsDriveLetterPath("C:"));
    EXPECT_TRUE(IsDriveLetterPath("d:\\x"));
    EXPECT_FALSE(IsDriveLetterPath(""));
    EXPECT_FALSE(IsDriveLetterPath("C"));
    EXPECT_FALSE(IsDriveLetterPath("\\\\server\\share"));
}

TEST(FileBrowserResult, SaveReturnsTheTypedTextAndCancelTheFolderItWasGiven) {
    FileBrowserState state;
    state.OldFolder = "C:\\Old";
    state.Init();
    state.BeginShow();
    state.Save("C:\\Does\\Not\\Exist", "");
    EXPECT_EQ(kBrowserSaved, state.Response);
    EXPECT_EQ("C:\\Does\\Not\\Exist", state.NewFolder);
    EXPECT_EQ("", state.NewFile);

    state.BeginShow();
    state.Save("", "tagname.x");
    EXPECT_EQ("", state.NewFolder);
    EXPECT_EQ("tagname.x", state.NewFile);

    state.BeginShow();
    state.Cancel();
    EXPECT_EQ(kBrowserCancelled, state.Response);
    EXPECT_EQ("C:\\Old", state.NewFolder);
    EXPECT_EQ("", state.NewFile);
}

}  // namespace
}  // namespace hdq
