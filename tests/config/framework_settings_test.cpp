#include "config/framework_settings.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "test_files.h"

namespace {

using namespace brenmoor::config;
using brenmoor::platform::ProfileStore;
using brenmoor::test::TempDir;
using brenmoor::test::writeFile;
using Files = std::vector<std::string>;

TEST(RecentFileList, MostRecentFirstAndAFifthPushesTheOldestOut) {
    RecentFileList list;
    for (const char* path : {"/a.txt", "/b.txt", "/c.txt", "/d.txt"}) list.add(path);
    EXPECT_EQ(list.entries(), (Files{"/d.txt", "/c.txt", "/b.txt", "/a.txt"}));
    list.add("/e.txt");
    EXPECT_EQ(list.entries(), (Files{"/e.txt", "/d.txt", "/c.txt", "/b.txt"}));
    list.add("/c.txt");  // already there: moves up, nothing drops out
    EXPECT_EQ(list.entries(), (Files{"/c.txt", "/e.txt", "/d.txt", "/b.txt"}));
    list.add("");
    EXPECT_EQ(list.entries().front(), "/c.txt");
}

TEST(RecentFileList, ReadStopsAtTheFirstMissingOrEmptyEntry) {
    struct Case {
        const char* section;
        Files expected;
    };
    const Case cases[] = {
        {"", {}},
        {"File1=/a\nFile2=/b\nFile3=/c\nFile4=/d\nFile5=/e\n", {"/a", "/b", "/c", "/d"}},
        {"File1=/a\nFile3=/c\n", {"/a"}},
        {"File1=/a\nFile2=\nFile3=/c\n", {"/a"}},
        {"File2=/b\n", {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        writeFile(dir.file("p.ini"), std::string("[Recent File List]\n") + c.section);
        RecentFileList list;
        list.read(ProfileStore(dir.file("p.ini")));
        EXPECT_EQ(list.entries(), c.expected) << c.section;
    }
}

TEST(RecentFileList, WriteReplacesTheStoredListAndSkipsPathsTheProfileCannotHold) {
    TempDir dir;
    writeFile(dir.file("p.ini"), "[Recent File List]\nFile1=/old1\nFile2=/old2\nFile3=/old3\nFile4=/old4\n");
    ProfileStore store(dir.file("p.ini"));
    RecentFileList list;
    list.add("/kept");
    list.add("/bad\nFile9=x");
    list.add("/newest");
    list.write(store);
    EXPECT_EQ(store.names(kRecentFileSection), (Files{"File1", "File2"}));
    ASSERT_TRUE(store.save());

    RecentFileList again;
    again.read(ProfileStore(dir.file("p.ini")));
    EXPECT_EQ(again.entries(), (Files{"/newest", "/kept"}));
}

TEST(PreviewPages, DefaultWhenMissingOrUnreadableAndWrittenBack) {
    TempDir dir;
    writeFile(dir.file("p.ini"), "[Settings]\nPreviewPages=many\n");
    ProfileStore store(dir.file("p.ini"));
    EXPECT_EQ(readPreviewPages(store), kDefaultPreviewPages);
    writePreviewPages(store, 2);
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readPreviewPages(ProfileStore(dir.file("p.ini"))), 2);
    EXPECT_EQ(readPreviewPages(ProfileStore(dir.file("missing.ini"))), kDefaultPreviewPages);
}

}  // namespace
