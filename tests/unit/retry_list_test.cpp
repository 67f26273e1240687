// The list of hours waiting for retry, as the file beside the INI file holds it.
#include <gtest/gtest.h>

#include <string>

#include "app/retry_list.h"
#include "core/files.h"
#include "test_support.h"

namespace hdq {
namespace {

class RetryListTest : public ::testing::Test {
protected:
    test::TempFolder dir;
    std::string path = dir / "p.retry";
    RetryList list{path};
};

TEST_F(RetryListTest, LoadKeepsEveryHourItCannotReadInsteadOfDroppingIt) {
    struct Case {
        const char* name;
        std::string file, badBefore;
        bool loads;
        size_t hours;
        std::string badAfter;
    };
    const std::string h10 = "2011-03-25 10:00:00,2011-03-25 11:05:00\r\n";
    const Case cases[] = {
        {"no file", "", "", true, 0, ""},
        {"damaged lines set aside after earlier ones", h10 + "2011-03-2\r\n\r\nrubbish", "old\r\n", true, 1,
         "old\r\n2011-03-2\r\nrubbish\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& f : {path, list.BadFile()}) fsys::DeleteFile(f);
        if (!c.file.empty()) test::WriteFile(path, c.file);
        if (!c.badBefore.empty()) test::WriteFile(list.BadFile(), c.badBefore);
        EXPECT_EQ(c.loads, list.Load());
        EXPECT_EQ(c.hours, list.Entries().size());
        EXPECT_EQ(c.badAfter, test::ReadFile(list.BadFile()));
        // Set aside once, not again at every start.
        if (!c.badAfter.empty()) {
            EXPECT_EQ(h10, test::ReadFile(path));
        }
    }
    // A file that is there but cannot be read may hold hours: the load fails, nothing is written.
    fsys::DeleteFile(path);
    ASSERT_TRUE(fsys::CreateFolder(path));
    OsError e;
    EXPECT_FALSE(list.Load(&e));
    EXPECT_NE(0, e.number);
    EXPECT_TRUE(fsys::IsDirectory(path));
}

}  // namespace
}  // namespace hdq
