#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/files.h"
#include "test_support.h"

namespace hdq {
namespace {

using Names = std::vector<std::string>;
using test::TempFolder;

// A file that a Windows listing must skip: hidden by attribute there, by a leading dot here.
std::string MakeHidden(const TempFolder& dir, const std::string& name) {
#ifdef _WIN32
    test::WriteFile(dir / name, "x");
    SetFileAttributesA((dir / name).c_str(), FILE_ATTRIBUTE_HIDDEN);
    return name;
#else
    test::WriteFile(dir / ("." + name), "x");
    return "." + name;
#endif
}

Names Sorted(Names v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST(Files, ListsOrdinaryFilesOrSubfoldersMatchingAPatternWithoutRegardToCase) {
    TempFolder dir;
    test::WriteFile(dir / "2011032514.CSV", "a");
    test::WriteFile(dir / "b.csv", "b");
    test::WriteFile(dir / "c.txt", "c");
    test::WriteFile(dir / "d.csv.bak", "d");
    ASSERT_TRUE(fsys::CreateFolder(dir / "folder.csv"));
    MakeHidden(dir, "hidden.csv");

    auto csv = fsys::ListFiles(dir / "*.csv");
    ASSERT_TRUE(csv.has_value());
    EXPECT_EQ((Names{"2011032514.CSV", "b.csv"}), Sorted(*csv));

    auto all = fsys::ListFiles(dir / "*");
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ((Names{"2011032514.CSV", "b.csv", "c.txt", "d.csv.bak"}), Sorted(*all));
    EXPECT_EQ((Names{"2011032514.CSV"}), fsys::ListFiles(dir / "2011032514.csv"));
    EXPECT_EQ(Names{}, fsys::ListFiles(dir / "other.ini"));
    EXPECT_EQ((Names{"folder.csv"}), Sorted(fsys::ListFolders(dir.path())));

    OsError err;
    EXPECT_FALSE(fsys::ListFiles(dir / "missing\\*.csv", &err).has_value());
    EXPECT_NE(0, err.number);
    EXPECT_FALSE(err.text.empty());
    EXPECT_NE('\n', err.text.back());
}

TEST(Files, CreatesOneFolderLevelAndTellsFoldersFromFiles) {
    TempFolder dir;
    OsError err;
    EXPECT_FALSE(fsys::CreateFolder(dir / "a\\b", &err));
    EXPECT_NE(0, err.number);
    ASSERT_TRUE(fsys::CreateFolder(dir / "a"));
    EXPECT_TRUE(fsys::CreateFolder(dir / "a\\b"));
    EXPECT_TRUE(fsys::IsDirectory(dir / "a\\b"));
    EXPECT_FALSE(fsys::CreateFolder(dir / "a"));  // already there

    test::WriteFile(dir / "f.txt", "x");
    EXPECT_FALSE(fsys::IsDirectory(dir / "f.txt"));
    EXPECT_TRUE(fsys::Exists(dir / "f.txt"));
    err = {};
    EXPECT_FALSE(fsys::IsDirectory(dir / "nothing", &err));
    EXPECT_NE(0, err.number);
    EXPECT_FALSE(fsys::Exists(dir / "nothing"));
}

TEST(Files, ReadsAndSetsLastWriteTimeInLocalTimeAndSize) {
    TempFolder dir;
    const std::string f = dir / "old.log";
    test::WriteFile(f, "12345");
    const DateTime when{2011, 3, 25, 14, 5, 8};
    ASSERT_TRUE(fsys::SetLastWriteTime(f, when));
    EXPECT_EQ(when, fsys::LastWriteTime(f));
    EXPECT_EQ(5u, fsys::FileSize(f));
    EXPECT_FALSE(fsys::LastWriteTime(dir / "missing").has_value());
    EXPECT_FALSE(fsys::FileSize(dir / "missing").has_value());
    EXPECT_FALSE(fsys::FileSize(dir.path()).has_value());
}

TEST(Files, CopyReplacesTheTargetKeepingTheLastWriteTimeAndDeleteReportsAMissingFile) {
    TempFolder dir;
    const std::string from = dir / "2011032514.CSV";
    const std::string to = dir / "out.csv";
    test::WriteFile(from, "new\r\ncontent");
    test::WriteFile(to, "old content that is longer");
    const DateTime when{2010, 12, 31, 23, 0, 0};
    ASSERT_TRUE(fsys::SetLastWriteTime(from, when));
    ASSERT_TRUE(fsys::CopyFile(from, to));
    EXPECT_EQ("new\r\ncontent", test::ReadFile(to));
    EXPECT_EQ(when, fsys::LastWriteTime(to));
    EXPECT_EQ("new\r\ncontent", test::ReadFile(from));

    OsError err;
    EXPECT_FALSE(fsys::CopyFile(dir / "missing.csv", to, &err));
    EXPECT_NE(0, err.number);
    EXPECT_EQ("new\r\ncontent", test::ReadFile(to));

    EXPECT_TRUE(fsys::DeleteFile(to));
    EXPECT_FALSE(fsys::Exists(to));
    err = {};
    EXPECT_FALSE(fsys::DeleteFile(to, &err));
    EXPECT_NE(0, err.number);
}

TEST(Files, ReadsAndWritesBytesUnchanged) {
    TempFolder dir;
    const std::string bytes = std::string("line\r\nbare\nnul\0high\xFF\xE9", 22);
    ASSERT_TRUE(fsys::WriteAll(dir / "a.bin", bytes));
    EXPECT_EQ(bytes, fsys::ReadAll(dir / "a.bin"));
    ASSERT_TRUE(fsys::WriteAll(dir / "a.bin", "short"));
    EXPECT_EQ("short", fsys::ReadAll(dir / "a.bin"));
    OsError err;
    EXPECT_FALSE(fsys::ReadAll(dir / "missing", &err).has_value());
    EXPECT_NE(0, err.number);

    std::FILE* f = fsys::Open(dir / "appended.txt", "ab");
    ASSERT_NE(nullptr, f);
    std::fputs("one\r\n", f);
    std::fclose(f);
    EXPECT_EQ("one\r\n", test::ReadFile(dir / "appended.txt"));
}

TEST(Files, AtomicWriteReplacesTheFileEvenAfterASaveKilledHalfWayAndLeavesNoTemporaryFile) {
    TempFolder dir;
    const std::string ini = dir / "HistDataToQorp.ini";
    ASSERT_TRUE(fsys::WriteAtomic(ini, "[Settings]\r\nA=1\r\n"));
    EXPECT_EQ("[Settings]\r\nA=1\r\n", test::ReadFile(ini));
    EXPECT_EQ((Names{"HistDataToQorp.ini"}), test::FilesIn(dir.path()));
    test::WriteFile(ini + ".~tmp", "A=");  // what a save killed before its rename leaves
    ASSERT_TRUE(fsys::WriteAtomic(ini, "B=2\r\n"));
    EXPECT_EQ("B=2\r\n", test::ReadFile(ini));
    EXPECT_EQ((Names{"HistDataToQorp.ini"}), test::FilesIn(dir.path()));
}

TEST(Files, AFailedAtomicWriteLeavesWhatWasThereAndNoTemporaryFile) {
    TempFolder dir;
    OsError err;
    EXPECT_FALSE(fsys::WriteAtomic(dir / "missing\\x.ini", "data", &err));
    EXPECT_NE(0, err.number);
    EXPECT_FALSE(fsys::Exists(dir / "missing"));

    // A folder in the way cannot be replaced by a file.
    ASSERT_TRUE(fsys::CreateFolder(dir / "taken.ini"));
    test::WriteFile(dir / "taken.ini\\inside.txt", "kept");
    err = {};
    EXPECT_FALSE(fsys::WriteAtomic(dir / "taken.ini", "data", &err));
    EXPECT_NE(0, err.number);
    EXPECT_TRUE(fsys::IsDirectory(dir / "taken.ini"));
    EXPECT_EQ("kept", test::ReadFile(dir / "taken.ini\\inside.txt"));
    EXPECT_EQ(Names{}, test::FilesIn(dir.path()));

#ifdef _WIN32
    // A file that another program holds open without sharing deletion cannot be replaced.
    const std::string held = dir / "held.ini";
    test::WriteFile(held, "old");
    HANDLE h = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_FALSE(fsys::WriteAtomic(held, "new"));
    CloseHandle(h);
    EXPECT_EQ("old", test::ReadFile(held));
    EXPECT_EQ((Names{"held.ini"}), test::FilesIn(dir.path()));
#endif
}

TEST(Files, KnowsTheRunningProgramsFolderAndName) {
    EXPECT_EQ("unit_tests", fsys::ExeName());
    EXPECT_TRUE(fsys::IsDirectory(fsys::ProgramFolder()));
    EXPECT_TRUE(fsys::Exists(fsys::WithBackslash(fsys::ProgramFolder()) + fsys::ExeName()
#ifdef _WIN32
                             + ".exe"
#endif
                             ));
}

}  // namespace
}  // namespace hdq
