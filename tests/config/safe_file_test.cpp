#include "platform/safe_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "test_files.h"

namespace {

using brenmoor::platform::FileReplacement;
using brenmoor::test::directoryEntries;
using brenmoor::test::readFile;
using brenmoor::test::TempDir;
using brenmoor::test::writeFile;

TEST(FileReplacement, CommitAfterAFailedWriteIsRefused) {
    TempDir dir;
    const auto path = dir.file("target");
    writeFile(path, "old contents\n");
    FileReplacement replacement(path);
    ASSERT_TRUE(replacement.open());
    {
        brenmoor::test::FileSizeLimit limit(4);
        EXPECT_FALSE(replacement.write("longer than four bytes"));
    }
    EXPECT_FALSE(replacement.write("x"));
    EXPECT_FALSE(replacement.commit());
    EXPECT_EQ(readFile(path), "old contents\n");
    EXPECT_EQ(directoryEntries(dir.path()), std::set<std::string>{"target"});
}

}  // namespace
