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
}

}  // namespace
}  // namespace hdq
