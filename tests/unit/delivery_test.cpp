// What the importer polling the output folder can see: every hour's file whole, once, and
// nothing of a move that failed.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/delivery.h"
#include "core/files.h"
#include "core/text.h"
#include "fake_dde.h"

namespace hdq {
namespace {

using Names = std::vector<std::string>;

// A checked file where HistData writes.
void Checked(const std::string& name, const std::string& content = "checked") {
    MakeFolders(HistDataFolder());
    test::WriteFile(HistDataFolder() + name, content);
}

TEST(Delivery, PublishesTheHourWholeUnderItsOwnNameOrLeavesItInTheCacheAndNothingInTheOutputFolder) {
    struct Case {
        const char* what;
        const char* out;
        const char* pattern;
        std::function<void(const std::string& out)> before;
        const char* error;  // the failure's text after "(", "" for any
        Names outFiles;     // none: the move fails
    };
    const std::string hour = "2011032514.CSV";
    const Case cases[] = {
        {"made the output folder", "new", "*.csv", nullptr, "", {hour}},
        {"replaces an earlier copy of the hour", "out", "2011032514.CSV",
         [&](const std::string& out) { test::WriteFile(out + hour, "old"); }, "", {hour}},
        {"replaces a copy cut short by a kill", "out", "*.csv",
         [&](const std::string& out) { test::WriteFile(out + "." + hour + ".part", "cut"); }, "", {hour}},
        {"the final name is a folder, so the rename fails", "out", "*.csv",
         [&](const std::string& out) { fsys::CreateFolder(out + hour); }, "", {}},
        {"one folder level is made, not two", "missing\\deeper", "*.csv", nullptr, "", {}},
        {"the hour's file is not there", "out", "2011032515.CSV", nullptr, "53) File not found: ", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::AppSandbox sb;
        test::RecordingActivityList activity;
        SetActivityList(&activity);
        const std::string out = fsys::WithBackslash(sb / c.out);
        sb.Set("OUTPUT_FOLDER", out);
        Checked(hour, "hour 14\r\n");
        Checked("notes.txt", "stays");
        fsys::CreateFolder(sb / "out");
        if (c.before) c.before(out);
        const bool published = !c.outFiles.empty();

        EXPECT_EQ(published, MoveCSVFiles(c.pattern));
        EXPECT_EQ(c.outFiles, test::FilesIn(out));
        EXPECT_EQ(published ? "hour 14\r\n" : "", test::ReadFile(out + hour));
        EXPECT_EQ(published ? Names{"notes.txt"} : (Names{hour, "notes.txt"}), test::FilesIn(sb / "cache"));
        EXPECT_EQ(!published, activity.HasPrefix("Error: Unable to Move CSV Files: (" + std::string(c.error)));
    }
}

TEST(Delivery, CleanUpDeletesUncheckedFilesAndOurOwnCutCopiesButNothingExportedOrForeign) {
    const Names foreign = {".201103251.CSV.part", ".2011032514.CSV.partial", ".notes.part", "2011032513.CSV",
                           "x.2011032514.CSV.part"};
    for (bool cacheIsOutput : {false, true}) {
        SCOPED_TRACE(cacheIsOutput);
        test::AppSandbox sb;
        test::RecordingActivityList activity;
        SetActivityList(&activity);
        const std::string out = sb / (cacheIsOutput ? "cache\\" : "out\\");
        sb.Set("OUTPUT_FOLDER", out);
        Checked("2011010100.CSV");
        fsys::CreateFolder(sb / "out");
        for (const std::string& name : foreign) test::WriteFile(out + name, "x");
        test::WriteFile(out + ".2011032514.csv.part", "cut");

        DeleteUncheckedCsvFiles();
        EXPECT_EQ(foreign, test::FilesIn(out));
        EXPECT_EQ(Names{}, test::FilesIn(HistDataFolder()));
        EXPECT_TRUE(activity.HasPrefix("Deleted unfinished copy from the output folder: " + out + ".2011032514"));
        EXPECT_TRUE(activity.HasPrefix("Deleted unchecked file from the cache: " + HistDataFolder() + "2011010100"));
    }
}

TEST(Delivery, OutputFolderThatIsTheCacheUnderAnotherSpellingHasHistDataWriteIntoTheWorkFolder) {
    test::AppSandbox sb;
    MakeFolders(sb / "cache\\work");
    fsys::CreateFolder(sb / "out");
    struct Case {
        std::string out;
        bool isCache;
    };
    std::vector<Case> cases = {{sb / "CACHE", true},     {"  " + sb / "Cache\\  ", true}, {sb / "cache\\.\\", true},
                               {sb / "cache\\work\\..", true}, {sb / "out", false},     {sb / "cache\\work", false}};
#ifdef _WIN32
    std::string shortName(MAX_PATH, '\0');
    shortName.resize(GetShortPathNameA((sb / "cache").c_str(), shortName.data(), MAX_PATH));
    cases.push_back({shortName, true});
    cases.push_back({sb / "cache.", true});
#else
    std::filesystem::create_directory_symlink(test::HostPath(sb / "cache"), test::HostPath(sb / "link"));
    cases.push_back({sb / "link", true});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        sb.Set("OUTPUT_FOLDER", c.out);
        const std::string writes = sb.folder() + (c.isCache ? "\\cache\\work\\" : "\\cache\\");
        EXPECT_EQ(writes, HistDataFolder());
        EXPECT_EQ(writes, CurrentDdeSettings().cacheFolder);
        // Natively a name in other letters is another folder, or none.
        if (!c.isCache || !fsys::IsDirectory(Trim(c.out))) continue;
        test::WriteFile(sb / "cache\\2011032513.CSV", "exported");
        Checked("2011032514.CSV");
        EXPECT_TRUE(MoveCSVFiles("2011032514.CSV"));
        Checked("2011032515.CSV");
        DeleteUncheckedCsvFiles();
        EXPECT_EQ((Names{"2011032513.CSV", "2011032514.CSV"}), test::FilesIn(sb / "cache"));
        EXPECT_EQ(Names{}, test::FilesIn(sb / "cache\\work"));
    }
}

}  // namespace
}  // namespace hdq
