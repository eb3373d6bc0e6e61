// Whole files read back: every byte, the reason of a failure, and the size limit.
#include "rtl/readfile.h"
#include "rtl/savefile.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ReadWholeFile, ReadsEveryByteAndTellsWhyItCannot)
{
    TempFolder dir;
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    const std::string path = dir / "data.bin";
    ASSERT_TRUE(SaveFileAtomically(path, bytes));
    std::string read = "left over";
    int code = -1;
    ASSERT_TRUE(ReadWholeFile(path, read, &code));
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(code, 0);

    ASSERT_TRUE(SaveFileAtomically(dir / "empty", std::string()));
    EXPECT_TRUE(ReadWholeFile(dir / "empty", read));
    EXPECT_TRUE(read.empty());

    read = "left over";
    EXPECT_FALSE(ReadWholeFile(dir / "missing", read, &code));
    EXPECT_EQ(code, ENOENT);
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(ReadWholeFile(dir.Path(), read, &code));
    EXPECT_EQ(code, EISDIR);
}

TEST(ReadWholeFile, RefusesAFileOverTheLimitAndReadsFilesThatClaimNoSize)
{
    TempFolder dir;
    const std::string path = dir / "big";
    ASSERT_TRUE(SaveFileAtomically(path, std::string(1001, 'x')));
    std::string read;
    int code = 0;
    EXPECT_FALSE(ReadWholeFile(path, read, &code, 1000));
    EXPECT_EQ(code, EFBIG);
    EXPECT_TRUE(read.empty());
    EXPECT_TRUE(ReadWholeFile(path, read, &code, 1001));
    EXPECT_EQ(read.size(), 1001u);

    // The kernel's files report a size of 0 but have text; the limit still holds.
    ASSERT_TRUE(ReadWholeFile("/proc/self/status", read));
    EXPECT_NE(read.find("Name:"), std::string::npos);
    EXPECT_FALSE(ReadWholeFile("/proc/self/status", read, &code, 16));
    EXPECT_EQ(code, EFBIG);
}

} // namespace
