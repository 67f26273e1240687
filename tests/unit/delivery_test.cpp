// What the importer polling the output folder can see: every hour's file whole, once, and
// nothing of a move that failed.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/files.h"
#include "fake_dde.h"

namespace hdq {
namespace {

using Names = std::vector<std::string>;
const std::string kHour = "2011032514.CSV";

// A checked file where HistData writes.
void Checked(const std::string& name, const std::string& content = "hour 14\r\n") {
    MakeFolders(HistDataFolder());
    test::WriteFile(HistDataFolder() + name, content);
}

TEST(Delivery, PublishesTheHourWholeUnderItsOwnNameOrLeavesItInTheCacheAndNothingInTheOutputFolder) {
    struct Case {
        const char* what;
        const char* out;
        const char* pattern;
        std::function<void(const std::string& out)> before;
        const char* error;  // after "(", for a move that fails
    };
    const Case cases[] = {
        {"made the output folder", "new", "*.csv", nullptr, nullptr},
        {"replaces an earlier copy", "out", kHour.c_str(), [](auto& out) { test::WriteFile(out + kHour, "old"); },
         nullptr},
        {"replaces a cut copy", "out", "*.csv", [](auto& out) { test::WriteFile(out + "." + kHour + ".part", "x"); },
         nullptr},
        {"the final name is a folder", "out", "*.csv", [](auto& out) { fsys::CreateFolder(out + kHour); }, ""},
        {"one folder level is made, not two", "missing\\deeper", "*.csv", nullptr, ""},
        {"the hour's file is not there", "out", "2011032515.CSV", nullptr, "53) File not found: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::AppSandbox sb;
        const std::string out = fsys::WithBackslash(sb / c.out);
        sb.Set("OUTPUT_FOLDER", out);
        Checked(kHour);
        Checked("notes.txt");
        fsys::CreateFolder(sb / "out");
        if (c.before) c.before(out);

        EXPECT_EQ(!c.error, MoveCSVFiles(c.pattern));
        EXPECT_EQ(c.error ? Names{} : Names{kHour}, test::FilesIn(out));
        EXPECT_EQ(c.error ? "" : "hour 14\r\n", test::ReadFile(out + kHour));
        EXPECT_EQ(c.error ? (Names{kHour, "notes.txt"}) : Names{"notes.txt"}, test::FilesIn(sb / "cache"));
        const std::string error = std::string("Error: Unable to Move CSV Files: (") + (c.error ? c.error : "");
        EXPECT_EQ(c.error != nullptr, sb.LoggedStartingWith(error));
    }
}

TEST(Delivery, CleanUpDeletesUncheckedFilesAndOurOwnCutCopiesButNothingDeliveredOrForeign) {
    const Names kept = {".201103251.CSV.part", ".2011032514.CSV.partial", ".notes.part", kHour,
                        "x.2011032514.CSV.part"};
    for (bool cacheIsOutput : {false, true}) {
        SCOPED_TRACE(cacheIsOutput);
        test::AppSandbox sb;
        const std::string out = sb / (cacheIsOutput ? "cache\\" : "out\\");
        sb.Set("OUTPUT_FOLDER", out);
        Checked(kHour);
        EXPECT_TRUE(MoveCSVFiles(kHour));
        Checked("2011010100.CSV");
        for (const std::string& name : kept) {
            if (name != kHour) test::WriteFile(out + name, "x");
        }
        test::WriteFile(out + ".2011032513.csv.part", "cut");

        DeleteUncheckedCsvFiles();
        EXPECT_EQ(kept, test::FilesIn(out));
        EXPECT_EQ(Names{}, test::FilesIn(HistDataFolder()));
    }
}

#ifndef _WIN32
TEST(Delivery, LogRetentionAndCleanUpDeleteNothingInTheFolderALinkedLogOrCacheLeadsTo) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"log", [] { AppLog().LSM_Init(7), AppLog().LSM_Run(); }}, {"cache", DeleteUncheckedCsvFiles}};
    for (const auto& [folder, clean] : cases) {
        test::AppSandbox sb;
        sb.Set("OUTPUT_FOLDER", sb / "out");
        const std::string to = sb / "elsewhere\\";
        MakeFolders(to);
        for (const char* name : {"old.csv", "new.csv"}) test::WriteFile(to + name, "x");
        fsys::SetLastWriteTime(to + "old.csv", DateTime{2011, 1, 1, 0, 0, 0});
        std::filesystem::create_directory_symlink(test::HostPath(to), test::HostPath(sb / folder));
        clean();
        EXPECT_TRUE(fsys::Exists(to + "old.csv") && fsys::Exists(to + "new.csv")) << folder;
        EXPECT_TRUE(sb.Logged("Error: " + sb / folder + " is a link to another place; nothing in it is deleted"));
    }
}
#endif

TEST(Delivery, OutputFolderThatIsTheCacheUnderAnotherSpellingHasHistDataWriteIntoTheWorkFolder) {
    test::AppSandbox sb;
    MakeFolders(sb / "cache\\work");
    fsys::CreateFolder(sb / "out");
    std::vector<std::pair<std::string, bool>> cases = {
        {sb / "CACHE", true},           {"  " + sb / "Cache\\  ", true}, {sb / "cache\\.\\", true},
        {sb / "cache\\work\\..", true}, {sb / "out", false},            {sb / "cache\\work", false}};
#ifdef _WIN32
    std::string shortName(MAX_PATH, '\0');
    shortName.resize(GetShortPathNameA((sb / "cache").c_str(), shortName.data(), MAX_PATH));
    cases.insert(cases.end(), {{shortName, true}, {sb / "cache.", true}});
#else
    std::filesystem::create_directory_symlink(test::HostPath(sb / "cache"), test::HostPath(sb / "link"));
    cases.push_back({sb / "link", true});
#endif
    for (const auto& [out, isCache] : cases) {
        sb.Set("OUTPUT_FOLDER", out);
        EXPECT_EQ(sb.folder() + (isCache ? "\\cache\\work\\" : "\\cache\\"), CurrentDdeSettings().cacheFolder) << out;
    }
}

}  // namespace
}  // namespace hdq
