// The folder and file browser's path rules.
#include <gtest/gtest.h>

#include "settings/connection_settings.h"
#include "settings/file_browser.h"

namespace hdq {
namespace {

TEST(FileBrowserPaths, DropOneTrailingBackslashAndTellDriveLetterPathsApart) {
    EXPECT_EQ("C:", BrowserStartPath("C:\\"));
    EXPECT_EQ("C:\\Data\\", BrowserStartPath("C:\\Data\\\\"));
    EXPECT_EQ("", BrowserStartPath(""));
    EXPECT_TRUE(IsDriveLetterPath("d:\\x"));
    EXPECT_FALSE(IsDriveLetterPath("C"));
    EXPECT_FALSE(IsDriveLetterPath("\\\\server\\share"));
}

TEST(FileBrowserPaths, TheTagFileButtonStartsInTheFolderOfADictionaryFileWrittenInAnyCase) {
    EXPECT_EQ("C:\\App\\", TagFileBrowseStart("C:\\App\\tagname.x"));
    EXPECT_EQ("C:\\App\\", TagFileBrowseStart("C:\\App\\TAGNAME.X"));
    EXPECT_EQ("C:\\App", TagFileBrowseStart("C:\\App"));
    EXPECT_EQ("C:\\tagname.x", TagFileFromBrowse("C:\\", ""));  // a drive's root: one backslash
}

TEST(FileBrowserSave, ABlankSelectedFolderHandsBackTheOldValuesAsCancelDoes) {
    // Blank: a start that was a file, or a folder that could not be opened.
    for (const char* typed : {"", "   "}) {
        FileBrowserState state;
        state.OldFolder = "C:\\App\\tagname.x";
        state.OldFile = "tagname.x";
        state.Save(typed, "chosen.x");
        EXPECT_EQ(kBrowserCancelled, state.Response) << '"' << typed << '"';
        EXPECT_EQ("C:\\App\\tagname.x", state.NewFolder);
        EXPECT_EQ("tagname.x", state.NewFile);
    }
}

}  // namespace
}  // namespace hdq
