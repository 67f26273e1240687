#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/files.h"
#include "test_support.h"

namespace hdq {
namespace {

using Names = std::vector<std::string>;
using test::TempFolder;

Names Sorted(std::optional<Names> v) {
    EXPECT_TRUE(v.has_value());
    std::sort(v->begin(), v->end());
    return *v;
}

TEST(Files, ListsOrdinaryFilesOrSubfoldersMatchingAPatternWithoutRegardToCase) {
    TempFolder dir;
    for (const char* name : {"2011032514.CSV", "b.csv", "c.txt", "d.csv.bak", "e.csv_old"}) {
        test::WriteFile(dir / name, "x");
    }
    ASSERT_TRUE(fsys::CreateFolder(dir / "folder.csv"));
    // Hidden files are skipped: by attribute on Windows, by a leading dot natively.
#ifdef _WIN32
    test::WriteFile(dir / "hidden.csv", "x");
    SetFileAttributesA((dir / "hidden.csv").c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
    test::WriteFile(dir / ".hidden.csv", "x");
#endif

    // On Windows "e.csv_old" also has an 8.3 name ending in ".CSV", which the system's own
    // search matches against "*.csv": it must not leave with the hourly files.
    EXPECT_EQ((Names{"2011032514.CSV", "b.csv"}), Sorted(fsys::ListFiles(dir / "*.csv")));
    EXPECT_EQ((Names{"2011032514.CSV", "b.csv", "c.txt", "d.csv.bak", "e.csv_old"}),
              Sorted(fsys::ListFiles(dir / "*")));
    EXPECT_EQ((Names{"2011032514.CSV"}), fsys::ListFiles(dir / "2011032514.csv"));
    EXPECT_EQ(Names{}, fsys::ListFiles(dir / "other.ini"));
    EXPECT_EQ((Names{"folder.csv"}), Sorted(fsys::ListFolders(dir.path())));

    OsError err;
    EXPECT_FALSE(fsys::ListFiles(dir / "missing\\*.csv", &err).has_value());
    EXPECT_NE(0, err.number);
    EXPECT_FALSE(err.text.empty());
}

}  // namespace
}  // namespace hdq
